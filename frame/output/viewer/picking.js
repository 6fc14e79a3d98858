// Picks the member under the pointer: the ray from the camera against every
// member's straight segment, in plain JS. With 22,800 members one loop is a
// millisecond or so, and no mesh per member is needed.
"use strict";
var ZV = window.ZV || (window.ZV = {});

// tolerance: the largest distance from the ray, per unit of distance along
// it (a few pixels' angle). Returns the member nearest the ray in that
// angular sense, the nearer one along the ray on a tie, or -1.
ZV.pickMember = function (model, origin, dir, tolerance) {
  var m = model.data.members, P = model.nodes, best = -1, bestScore = Infinity, bestT = Infinity;
  var ox = origin.x, oy = origin.y, oz = origin.z, dx = dir.x, dy = dir.y, dz = dir.z;
  for (var i = 0; i < model.memberCount; i++) {
    var a = 3 * m.nodes[2 * i], b = 3 * m.nodes[2 * i + 1];
    var ux = P[b] - P[a], uy = P[b + 1] - P[a + 1], uz = P[b + 2] - P[a + 2];
    var wx = P[a] - ox, wy = P[a + 1] - oy, wz = P[a + 2] - oz;
    var A = ux * ux + uy * uy + uz * uz, B = ux * dx + uy * dy + uz * dz;
    var D = ux * wx + uy * wy + uz * wz, E = dx * wx + dy * wy + dz * wz;
    var den = A - B * B; // |dir| = 1
    var s = den > 1e-12 * A ? (B * E - D) / den : 0;
    s = Math.max(0, Math.min(1, s));
    var t = Math.max(0, E + s * B);
    var rx = wx + s * ux - t * dx, ry = wy + s * uy - t * dy, rz = wz + s * uz - t * dz;
    var dist = Math.sqrt(rx * rx + ry * ry + rz * rz);
    if (t <= 0 || dist > tolerance * t) continue;
    var score = dist / t;
    if (score < bestScore - 1e-9 || (Math.abs(score - bestScore) <= 1e-9 && t < bestT)) {
      best = i; bestScore = score; bestT = t;
    }
  }
  return best;
};

// The ray through a pixel of the canvas, for a perspective camera.
ZV.pixelRay = function (camera, element, clientX, clientY) {
  var r = element.getBoundingClientRect();
  var ndc = new THREE.Vector3(((clientX - r.left) / r.width) * 2 - 1, -((clientY - r.top) / r.height) * 2 + 1, 0.5);
  var dir = ndc.unproject(camera).sub(camera.position).normalize();
  var perPixel = 2 * Math.tan(camera.fov * Math.PI / 360) / r.height;
  return { origin: camera.position.clone(), dir: dir, perPixel: perPixel };
};
