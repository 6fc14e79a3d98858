// Internal-force diagrams on the members, in the member's local plane that
// the force acts in, as one LineSegments buffer: the outline from station to
// station and a hatch line from the member to each station's value. Rebuilt
// when the load set or the quantity changes; its scale is a uniform.
"use strict";
var ZV = window.ZV || (window.ZV = {});

// The local axis a quantity is drawn along (1 = y, 2 = z) and its sign.
// Moments go to the tension side: a positive Mz stretches the -y face, a
// positive My the +z face (My' = -Vz, Mz' = Vy in the results' convention).
ZV.DIAGRAM_AXIS = { N: [1, 1], Vy: [1, 1], T: [1, 1], Mz: [1, -1], Vz: [2, 1], My: [2, 1] };

var POSITIVE = [0.8, 0.15, 0.1], NEGATIVE = [0.1, 0.3, 0.85];

ZV.diagramMaterial = function () {
  return new THREE.ShaderMaterial({
    uniforms: { scale: { value: 1 } },
    vertexShader: "attribute float value; attribute vec3 dir; attribute vec3 color; uniform float scale;\n" +
      "varying vec3 vColor;\n" +
      "void main() { vColor = color;\n" +
      "  gl_Position = projectionMatrix * modelViewMatrix * vec4(position + scale * value * dir, 1.0); }",
    fragmentShader: "varying vec3 vColor; void main() { gl_FragColor = vec4(vColor, 1.0); }",
  });
};

// curves: one or two Float32Arrays of station values (an envelope's max and
// min). Each vertex holds the member point, its value and the drawing
// direction, so that the diagram's scale is a uniform as well.
ZV.diagram = function (model, curves, quantity, material) {
  var m = model.data.members, start = m.stationStart, n = model.memberCount;
  var axis = ZV.DIAGRAM_AXIS[quantity], base = model.stationBase;
  var per = 0;
  for (var i = 0; i < n; i++) per += 2 * (start[i + 1] - start[i]) - 1;
  var vertices = 2 * per * curves.length;
  var pos = new Float32Array(3 * vertices), val = new Float32Array(vertices);
  var dir = new Float32Array(3 * vertices), col = new Float32Array(3 * vertices);
  var v = 0;
  // Written out rather than through small arrays: this runs for every
  // station of every member on each change of set or quantity.
  function put(j, value, i, sign) {
    var o = 3 * v, a = 9 * i + 3 * axis[0], colour = sign >= 0 ? POSITIVE : NEGATIVE;
    pos[o] = base[3 * j]; pos[o + 1] = base[3 * j + 1]; pos[o + 2] = base[3 * j + 2];
    dir[o] = axis[1] * m.axes[a]; dir[o + 1] = axis[1] * m.axes[a + 1]; dir[o + 2] = axis[1] * m.axes[a + 2];
    col[o] = colour[0]; col[o + 1] = colour[1]; col[o + 2] = colour[2];
    val[v++] = value;
  }
  curves.forEach(function (values) {
    for (var i = 0; i < n; i++)
      for (var j = start[i]; j < start[i + 1]; j++) {
        // The hatch line from the member to the value, in the value's colour.
        put(j, 0, i, values[j]); put(j, values[j], i, values[j]);
        if (j + 1 < start[i + 1]) {
          // The outline takes the colour of its middle's sign.
          var mid = values[j] + values[j + 1];
          put(j, values[j], i, mid); put(j + 1, values[j + 1], i, mid);
        }
      }
  });
  var g = new THREE.BufferGeometry();
  g.setAttribute("position", new THREE.BufferAttribute(pos, 3));
  g.setAttribute("value", new THREE.BufferAttribute(val, 1));
  g.setAttribute("dir", new THREE.BufferAttribute(dir, 3));
  g.setAttribute("color", new THREE.BufferAttribute(col, 3));
  var lines = new THREE.LineSegments(g, material);
  lines.frustumCulled = false;
  return lines;
};

// The largest magnitude among the curves, which the default scale draws at
// a height that suits the members' length.
ZV.largestValue = function (curves) {
  var top = 0;
  curves.forEach(function (values) {
    for (var j = 0; j < values.length; j++) top = Math.max(top, Math.abs(values[j]));
  });
  return top;
};

ZV.diagramHeight = function (model) {
  return Math.min(0.35 * model.typical, 0.2 * model.size);
};

// FNV-1a, taken over 32-bit words rather than bytes (four times fewer
// steps), of the drawn values: a test reads it to see that another load set
// or quantity drew another diagram.
ZV.checksum = function (arrays) {
  var h = 0x811c9dc5;
  arrays.forEach(function (a) {
    var words = new Uint32Array(a.buffer, a.byteOffset, a.byteLength >> 2);
    for (var i = 0; i < words.length; i++) h = Math.imul(h ^ words[i], 16777619) >>> 0;
  });
  return ("00000000" + h.toString(16)).slice(-8);
};
