// Reads window.ZERVOLA_VIEW (README.md beside this file) into typed arrays
// and the figures every drawing needs: station places in space, the frame's
// size, a typical member length.
"use strict";
var ZV = window.ZV || (window.ZV = {});

ZV.FORCES = ["N", "Vy", "Vz", "T", "My", "Mz"];
ZV.XI_STEPS = 10000;

// {unit, q} -> Float32Array of unit * q.
ZV.dequantize = function (a) {
  var out = new Float32Array(a.q.length);
  for (var i = 0; i < out.length; i++) out[i] = a.q[i] * a.unit;
  return out;
};

ZV.loadModel = function (data) {
  var m = data.members, n = m.names.length;
  var xyz = data.nodes.xyz, count = xyz.length / 3;
  // Drawn coordinates are relative to the frame's centre, so that Float32
  // keeps its precision on frames far from the origin (mm, survey grids).
  var lo = [Infinity, Infinity, Infinity], hi = [-Infinity, -Infinity, -Infinity];
  for (var k = 0; k < count; k++)
    for (var c = 0; c < 3; c++) {
      lo[c] = Math.min(lo[c], xyz[3 * k + c]);
      hi[c] = Math.max(hi[c], xyz[3 * k + c]);
    }
  if (!count) lo = hi = [0, 0, 0];
  var centre = [0, 1, 2].map(function (c) { return (lo[c] + hi[c]) / 2; });
  var nodes = new Float64Array(xyz.length);
  for (k = 0; k < xyz.length; k++) nodes[k] = xyz[k] - centre[k % 3];

  var length = new Float64Array(n);
  for (var i = 0; i < n; i++) {
    var a = m.nodes[2 * i], b = m.nodes[2 * i + 1], s = 0;
    for (c = 0; c < 3; c++) s += Math.pow(nodes[3 * b + c] - nodes[3 * a + c], 2);
    length[i] = Math.sqrt(s);
  }
  var sorted = Array.prototype.slice.call(length).sort(function (x, y) { return x - y; });
  var size = Math.max(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]) || 1;

  // Station points on the undrawn members: start node + x along local x.
  var stations = m.stationXi.length;
  var base = new Float32Array(3 * stations);
  var member = new Uint32Array(stations);
  for (i = 0; i < n; i++) {
    var p = 3 * m.nodes[2 * i];
    for (var j = m.stationStart[i]; j < m.stationStart[i + 1]; j++) {
      var x = m.stationXi[j] / ZV.XI_STEPS * length[i];
      member[j] = i;
      for (c = 0; c < 3; c++) base[3 * j + c] = nodes[p + c] + x * m.axes[9 * i + c];
    }
  }
  return {
    data: data, plane: data.frame === "plane", centre: centre, nodes: nodes,
    memberCount: n, length: length, size: size,
    typical: sorted.length ? sorted[sorted.length >> 1] || size : size,
    stationBase: base, stationMember: member, sets: data.sets.map(ZV.loadSet),
  };
};

// Station arrays of a load set, decoded once when it is first shown.
ZV.loadSet = function (s) {
  var out = { raw: s, name: s.name, kind: s.kind, decoded: null };
  out.decode = function () {
    if (out.decoded) return out.decoded;
    var d = {};
    if (s.kind === "envelope") {
      d.max = {}; d.min = {};
      ZV.FORCES.forEach(function (q) {
        d.max[q] = ZV.dequantize(s.max[q]);
        d.min[q] = ZV.dequantize(s.min[q]);
      });
    } else {
      ZV.FORCES.forEach(function (q) { d[q] = ZV.dequantize(s[q]); });
      d.deflection = ZV.dequantize(s.deflection);
    }
    return (out.decoded = d);
  };
  return out;
};

// The largest deflection anywhere along the members (not only at nodes).
ZV.largestDeflection = function (defl) {
  var top = 0;
  for (var j = 0; j < defl.length; j += 3)
    top = Math.max(top, defl[j] * defl[j] + defl[j + 1] * defl[j + 1] + defl[j + 2] * defl[j + 2]);
  return Math.sqrt(top);
};

ZV.units = function (data) {
  var f = data.units.force || "", l = data.units.length || "";
  return {
    force: f, length: l, moment: f + "\u00b7" + l, stress: data.units.stress || f + "/" + l + "\u00b2",
    of: function (q) {
      if (q === "T" || q === "My" || q === "Mz") return this.moment;
      if (q === "u" || q === "v" || q === "w") return this.length;
      return this.force;
    },
  };
};
