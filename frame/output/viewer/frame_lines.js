// The frame itself as line buffers: all members in one LineSegments, the
// deformed shape (a load set's station deflections, or a mode shape) in
// another whose displacement is scaled on the GPU, so that the scale slider
// and a mode's animation change one uniform and not 22,800 members' vertices.
"use strict";
var ZV = window.ZV || (window.ZV = {});

ZV.memberLines = function (model, color) {
  var m = model.data.members, n = model.memberCount, pos = new Float32Array(6 * n);
  for (var i = 0; i < n; i++)
    for (var e = 0; e < 2; e++)
      for (var c = 0; c < 3; c++) pos[6 * i + 3 * e + c] = model.nodes[3 * m.nodes[2 * i + e] + c];
  var g = new THREE.BufferGeometry();
  g.setAttribute("position", new THREE.BufferAttribute(pos, 3));
  return new THREE.LineSegments(g, new THREE.LineBasicMaterial({ color: color }));
};

ZV.deformedMaterial = function (color) {
  return new THREE.ShaderMaterial({
    uniforms: { scale: { value: 1 }, color: { value: new THREE.Color(color) } },
    vertexShader: "attribute vec3 disp; uniform float scale;\n" +
      "void main() { gl_Position = projectionMatrix * modelViewMatrix * vec4(position + scale * disp, 1.0); }",
    fragmentShader: "uniform vec3 color; void main() { gl_FragColor = vec4(color, 1.0); }",
  });
};

function indexedLines(base, disp, index, material) {
  var g = new THREE.BufferGeometry();
  g.setAttribute("position", new THREE.BufferAttribute(base, 3));
  g.setAttribute("disp", new THREE.BufferAttribute(disp, 3));
  g.setIndex(new THREE.BufferAttribute(index, 1));
  var lines = new THREE.LineSegments(g, material);
  lines.frustumCulled = false; // the bounds are those of the undeformed frame
  return lines;
}

// A load set's deformed shape: a line from station to station.
ZV.deformedSet = function (model, deflection, material) {
  var start = model.data.members.stationStart, n = model.memberCount;
  var index = new Uint32Array(2 * (start[n] - n)), k = 0;
  for (var i = 0; i < n; i++)
    for (var j = start[i]; j + 1 < start[i + 1]; j++) { index[k++] = j; index[k++] = j + 1; }
  return indexedLines(model.stationBase, deflection, index.subarray(0, k), material);
};

ZV.MODE_DIVISIONS = 8;

// A mode shape between the nodes: translations and rotations of the two ends
// in the member's local axes, cubic (Hermite) across, linear along. A hinged
// end takes the slope that leaves no moment there, as a member without span
// loads has.
ZV.modeShape = function (model, shape, material) {
  var m = model.data.members, n = model.memberCount, D = ZV.MODE_DIVISIONS;
  var base = new Float32Array(3 * n * (D + 1)), disp = new Float32Array(base.length);
  var index = new Uint32Array(2 * n * D), k = 0;
  for (var i = 0; i < n; i++) {
    var a = m.nodes[2 * i], b = m.nodes[2 * i + 1], L = model.length[i];
    var ax = m.axes.slice(9 * i, 9 * i + 9);
    var loc = function (node, off) {
      return [0, 1, 2].map(function (r) {
        return shape[6 * node + off] * ax[3 * r] + shape[6 * node + off + 1] * ax[3 * r + 1] +
          shape[6 * node + off + 2] * ax[3 * r + 2];
      });
    };
    var ta = loc(a, 0), tb = loc(b, 0), ra = loc(a, 3), rb = loc(b, 3);
    // Slopes: dv/dx is the rotation about local z, dw/dx minus that about y.
    var sv = fitSlopes(ta[1], tb[1], ra[2], rb[2], L, m.release[i]);
    var sw = fitSlopes(ta[2], tb[2], -ra[1], -rb[1], L, m.release[i]);
    for (var d = 0; d <= D; d++) {
      var s = d / D, h1 = 1 - 3 * s * s + 2 * s * s * s, h2 = L * (s - 2 * s * s + s * s * s);
      var h3 = 3 * s * s - 2 * s * s * s, h4 = L * (s * s * s - s * s);
      var u = ta[0] + s * (tb[0] - ta[0]);
      var v = h1 * ta[1] + h2 * sv[0] + h3 * tb[1] + h4 * sv[1];
      var w = h1 * ta[2] + h2 * sw[0] + h3 * tb[2] + h4 * sw[1];
      var p = 3 * (i * (D + 1) + d);
      for (var c = 0; c < 3; c++) {
        base[p + c] = model.nodes[3 * a + c] + s * L * ax[c];
        disp[p + c] = u * ax[c] + v * ax[3 + c] + w * ax[6 + c];
      }
      if (d < D) { index[k++] = i * (D + 1) + d; index[k++] = i * (D + 1) + d + 1; }
    }
  }
  return indexedLines(base, disp, index, material);
};

function fitSlopes(va, vb, sa, sb, L, release) {
  var chord = (vb - va) / L;
  if (release === 3) return [chord, chord];
  if (release === 1) return [1.5 * chord - sb / 2, sb];
  if (release === 2) return [sa, 1.5 * chord - sa / 2];
  return [sa, sb];
}

// The size of supports, hinges and arrow heads: small beside a member.
ZV.symbolSize = function (model) {
  return Math.min(0.15 * model.typical, 0.04 * model.size);
};

// Supports: a pyramid where the three translations are held, with a hatched
// plate below it where the rotations are held too; a bar along each held
// translation otherwise.
ZV.supportLines = function (model, color) {
  var sup = model.data.supports, h = ZV.symbolSize(model), pts = [];
  var up = model.plane ? [0, 1, 0] : [0, 0, 1], s1 = [1, 0, 0], s2 = model.plane ? [0, 0, 1] : [0, 1, 0];
  function at(p, a, b, c) {
    return [0, 1, 2].map(function (k) { return p[k] - a * up[k] + b * s1[k] + c * s2[k]; });
  }
  function line(p, q) { pts.push.apply(pts, p); pts.push.apply(pts, q); }
  for (var k = 0; k < sup.node.length; k++) {
    var p = Array.prototype.slice.call(model.nodes, 3 * sup.node[k], 3 * sup.node[k] + 3);
    var mask = sup.restrain[k];
    if ((mask & 7) === 7) {
      var corners = [at(p, h, -h / 2, -h / 2), at(p, h, h / 2, -h / 2), at(p, h, h / 2, h / 2), at(p, h, -h / 2, h / 2)];
      for (var c = 0; c < 4; c++) { line(p, corners[c]); line(corners[c], corners[(c + 1) % 4]); }
      if ((mask & 56) === 56)
        for (var t = -2; t <= 2; t++) line(at(p, h, t * h / 4, 0), at(p, 1.3 * h, t * h / 4 - h / 4, 0));
    } else {
      for (var d = 0; d < 3; d++) {
        if (!(mask & (1 << d))) continue;
        var e = [0, 0, 0];
        e[d] = h;
        var q = [p[0] - e[0], p[1] - e[1], p[2] - e[2]];
        var f = d === 2 || (model.plane && d === 1) ? s1 : up;
        line(p, q);
        line([q[0] - f[0] * h / 3, q[1] - f[1] * h / 3, q[2] - f[2] * h / 3],
             [q[0] + f[0] * h / 3, q[1] + f[1] * h / 3, q[2] + f[2] * h / 3]);
      }
    }
  }
  var g = new THREE.BufferGeometry();
  g.setAttribute("position", new THREE.BufferAttribute(new Float32Array(pts), 3));
  return new THREE.LineSegments(g, new THREE.LineBasicMaterial({ color: color }));
};

// Hinged ends: a small ring a little inside the member from the released end.
ZV.hingePoints = function (model, color) {
  var m = model.data.members, pts = [], h = ZV.symbolSize(model);
  for (var i = 0; i < model.memberCount; i++) {
    var r = m.release[i];
    if (!r) continue;
    var off = Math.min(0.5 * h, 0.1 * model.length[i]);
    [[1, 0, off], [2, 1, model.length[i] - off]].forEach(function (end) {
      if (!(r & end[0])) return;
      var p = 3 * m.nodes[2 * i];
      for (var c = 0; c < 3; c++) pts.push(model.nodes[p + c] + end[2] * m.axes[9 * i + c]);
    });
  }
  var canvas = document.createElement("canvas");
  canvas.width = canvas.height = 32;
  var ctx = canvas.getContext("2d");
  ctx.fillStyle = "#ffffff"; ctx.strokeStyle = "#000000"; ctx.lineWidth = 5;
  ctx.beginPath(); ctx.arc(16, 16, 12, 0, 2 * Math.PI); ctx.fill(); ctx.stroke();
  var g = new THREE.BufferGeometry();
  g.setAttribute("position", new THREE.BufferAttribute(new Float32Array(pts), 3));
  var points = new THREE.Points(g, new THREE.PointsMaterial({
    size: 11, sizeAttenuation: false, map: new THREE.CanvasTexture(canvas),
    transparent: true, alphaTest: 0.5, color: color,
  }));
  points.renderOrder = 2;
  return points;
};
