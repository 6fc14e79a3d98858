// A load set's loads as arrows in one LineSegments buffer: forces pointing at
// the point they act on, moments with a double head along their vector,
// distributed loads as a row of arrows along the loaded length joined at
// their tails. Each kind is scaled on its own, its largest drawn at a length
// that suits the members.
"use strict";
var ZV = window.ZV || (window.ZV = {});

ZV.DISTRIBUTED_ARROWS = 5;

ZV.loadLines = function (model, loads, color) {
  var c = model.centre, m = model.data.members, A = ZV.DISTRIBUTED_ARROWS;
  var f = loads.forces, mo = loads.moments, q = loads.distributed;
  // Sized beforehand: self-weight alone puts arrows on every member.
  var pts = new Float32Array(6 * (3 * f.length / 6 + 5 * mo.length / 6 + (4 * A + 3) * q.length / 9)), used = 0;
  var head = ZV.symbolSize(model) * 0.6, reach = 0.45 * model.typical;

  function largest(arr, stride, offsets) {
    var top = 0;
    for (var k = 0; k < arr.length; k += stride)
      offsets.forEach(function (o) {
        top = Math.max(top, arr[k + o] * arr[k + o] + arr[k + o + 1] * arr[k + o + 1] + arr[k + o + 2] * arr[k + o + 2]);
      });
    return Math.sqrt(top);
  }
  function line(ax, ay, az, bx, by, bz) {
    pts[used++] = ax; pts[used++] = ay; pts[used++] = az;
    pts[used++] = bx; pts[used++] = by; pts[used++] = bz;
  }
  // An arrow whose tip is at p, drawn against its vector v (already scaled).
  // Scalars rather than small arrays: self-weight draws one on every member.
  function arrow(px, py, pz, vx, vy, vz, heads) {
    var len = Math.sqrt(vx * vx + vy * vy + vz * vz);
    if (len === 0) return;
    line(px - vx, py - vy, pz - vz, px, py, pz);
    var ex = vx / len, ey = vy / len, ez = vz / len;
    // A side direction for the head: z, or x for an arrow along z, less its
    // part along the arrow.
    var sx = Math.abs(ez) < 0.9 ? 0 : 1, sz = 1 - sx, d = ex * sx + ez * sz;
    sx -= d * ex; var sy = -d * ey; sz -= d * ez;
    var hl = Math.min(head, 0.4 * len), w = 0.5 * hl / Math.sqrt(sx * sx + sy * sy + sz * sz);
    for (var h = 0; h < heads; h++) {
      var tx = px - ex * h * hl, ty = py - ey * h * hl, tz = pz - ez * h * hl;
      var bx = tx - ex * hl, by = ty - ey * hl, bz = tz - ez * hl;
      line(tx, ty, tz, bx + w * sx, by + w * sy, bz + w * sz);
      line(tx, ty, tz, bx - w * sx, by - w * sy, bz - w * sz);
    }
  }

  var sf = reach / (largest(f, 6, [3]) || 1), sm = reach / (largest(mo, 6, [3]) || 1);
  var sq = 0.5 * reach / (largest(q, 9, [3, 6]) || 1);
  for (var k = 0; k < f.length; k += 6)
    arrow(f[k] - c[0], f[k + 1] - c[1], f[k + 2] - c[2], f[k + 3] * sf, f[k + 4] * sf, f[k + 5] * sf, 1);
  for (k = 0; k < mo.length; k += 6)
    arrow(mo[k] - c[0], mo[k + 1] - c[1], mo[k + 2] - c[2], mo[k + 3] * sm, mo[k + 4] * sm, mo[k + 5] * sm, 2);
  for (k = 0; k < q.length; k += 9) {
    var i = q[k], p0 = 3 * m.nodes[2 * i], e = 9 * i, last = null;
    for (var a = 0; a <= A; a++) {
      var t = a / A, x = q[k + 1] + t * (q[k + 2] - q[k + 1]);
      var px = model.nodes[p0] + x * m.axes[e], py = model.nodes[p0 + 1] + x * m.axes[e + 1];
      var pz = model.nodes[p0 + 2] + x * m.axes[e + 2];
      var vx = (q[k + 3] + t * (q[k + 6] - q[k + 3])) * sq, vy = (q[k + 4] + t * (q[k + 7] - q[k + 4])) * sq;
      var vz = (q[k + 5] + t * (q[k + 8] - q[k + 5])) * sq;
      arrow(px, py, pz, vx, vy, vz, 1);
      // The line joining the arrows' tails.
      if (last) line(last[0], last[1], last[2], px - vx, py - vy, pz - vz);
      last = [px - vx, py - vy, pz - vz];
    }
  }
  var g = new THREE.BufferGeometry();
  g.setAttribute("position", new THREE.BufferAttribute(pts.subarray(0, used), 3));
  return new THREE.LineSegments(g, new THREE.LineBasicMaterial({ color: color }));
};
