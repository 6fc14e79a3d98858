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
      offsets.forEach(function (o) { top = Math.max(top, Math.hypot(arr[k + o], arr[k + o + 1], arr[k + o + 2])); });
    return top;
  }
  function line(p, r) {
    pts[used++] = p[0]; pts[used++] = p[1]; pts[used++] = p[2];
    pts[used++] = r[0]; pts[used++] = r[1]; pts[used++] = r[2];
  }
  // An arrow whose tip is at p, drawn against its vector v (already scaled).
  function arrow(p, v, heads) {
    var len = Math.hypot(v[0], v[1], v[2]);
    if (len === 0) return;
    var tail = [p[0] - v[0], p[1] - v[1], p[2] - v[2]];
    line(tail, p);
    var e = v.map(function (x) { return x / len; });
    // A side direction for the head: any axis not along the arrow.
    var side = Math.abs(e[2]) < 0.9 ? [0, 0, 1] : [1, 0, 0];
    var d = e[0] * side[0] + e[1] * side[1] + e[2] * side[2];
    side = [side[0] - d * e[0], side[1] - d * e[1], side[2] - d * e[2]];
    var sl = Math.hypot(side[0], side[1], side[2]);
    var hl = Math.min(head, 0.4 * len);
    for (var h = 0; h < heads; h++) {
      var tip = [p[0] - e[0] * h * hl, p[1] - e[1] * h * hl, p[2] - e[2] * h * hl];
      for (var s = -1; s <= 1; s += 2)
        line(tip, [0, 1, 2].map(function (k) { return tip[k] - e[k] * hl + s * side[k] / sl * hl * 0.5; }));
    }
  }
  function point(arr, k) { return [arr[k] - c[0], arr[k + 1] - c[1], arr[k + 2] - c[2]]; }

  var sf = reach / (largest(f, 6, [3]) || 1), sm = reach / (largest(mo, 6, [3]) || 1);
  var sq = 0.5 * reach / (largest(q, 9, [3, 6]) || 1);
  for (var k = 0; k < f.length; k += 6)
    arrow(point(f, k), [f[k + 3] * sf, f[k + 4] * sf, f[k + 5] * sf], 1);
  for (k = 0; k < mo.length; k += 6)
    arrow(point(mo, k), [mo[k + 3] * sm, mo[k + 4] * sm, mo[k + 5] * sm], 2);
  for (k = 0; k < q.length; k += 9) {
    var i = q[k], p0 = 3 * m.nodes[2 * i], tails = [];
    for (var a = 0; a <= A; a++) {
      var t = a / A, x = q[k + 1] + t * (q[k + 2] - q[k + 1]);
      var p = [0, 1, 2].map(function (j) { return model.nodes[p0 + j] + x * m.axes[9 * i + j]; });
      var v = [0, 1, 2].map(function (j) { return (q[k + 3 + j] + t * (q[k + 6 + j] - q[k + 3 + j])) * sq; });
      arrow(p, v, 1);
      tails.push([p[0] - v[0], p[1] - v[1], p[2] - v[2]]);
    }
    for (a = 0; a + 1 < tails.length; a++) line(tails[a], tails[a + 1]);
  }
  var g = new THREE.BufferGeometry();
  g.setAttribute("position", new THREE.BufferAttribute(pts.subarray(0, used), 3));
  return new THREE.LineSegments(g, new THREE.LineBasicMaterial({ color: color }));
};
