// The side panel of a picked member: what it is, its end forces, the
// extremes along it and its stresses in the shown load set. Built from DOM
// nodes with textContent, so that names in the data stay text.
"use strict";
var ZV = window.ZV || (window.ZV = {});

ZV.fmt = function (v) {
  if (v === null || v === undefined) return "";
  // Four digits, written plainly from 1e-6 to 1e21 (30420, not 3.042e+4).
  return String(Number(Number(v).toPrecision(4)));
};

function el(tag, text, cls) {
  var e = document.createElement(tag);
  if (text !== undefined) e.textContent = text;
  if (cls) e.className = cls;
  return e;
}

function table(head, rows) {
  var t = el("table"), tr = el("tr");
  head.forEach(function (h) { tr.appendChild(el("th", h)); });
  t.appendChild(tr);
  rows.forEach(function (r) {
    var row = el("tr");
    r.forEach(function (c, k) { row.appendChild(el(k ? "td" : "th", c)); });
    t.appendChild(row);
  });
  return t;
}

var RELEASES = ["none", "hinged at the start", "hinged at the end", "pinned at both ends"];
var EXTREME_NAMES = ZV.FORCES.concat(["u", "v", "w"]);

ZV.memberPanel = function (model, i, set, mode) {
  var d = model.data, m = d.members, u = ZV.units(d), box = el("div");
  box.appendChild(el("h2", "Member " + m.names[i]));
  box.appendChild(table(["", ""], [
    ["section", m.section[i] >= 0 ? d.sections.names[m.section[i]] : ""],
    ["nodes", (m.nodes[2 * i] + 1) + " \u2192 " + (m.nodes[2 * i + 1] + 1)],
    ["length", ZV.fmt(model.length[i]) + " " + u.length],
    ["releases", RELEASES[m.release[i]]],
  ]));
  if (mode) {
    box.appendChild(el("p", "A mode shape has no forces; pick a load set for them.", "note"));
    return box;
  }
  var s = set.raw, env = s.kind === "envelope";
  var name = function (k) { return d.sets[k].name; };
  box.appendChild(el("h3", (env ? "Envelope " : "") + s.name + ": end forces (local axes)"));
  if (env) {
    // An envelope's end forces: a row per end and quantity, each bound with its set.
    var e = s.endForces, rows = [];
    ZV.FORCES.forEach(function (q, k) {
      ["start", "end"].forEach(function (end, w) {
        var j = 12 * i + 6 * w + k;
        rows.push([q + " " + end + " [" + u.of(q) + "]", ZV.fmt(e.max[j]), name(e.maxBy[j]),
          ZV.fmt(e.min[j]), name(e.minBy[j])]);
      });
    });
    box.appendChild(table(["", "max", "by", "min", "by"], rows));
  } else {
    box.appendChild(table(["", "start", "end"], ZV.FORCES.map(function (q, k) {
      return [q + " [" + u.of(q) + "]", ZV.fmt(s.endForces[12 * i + k]), ZV.fmt(s.endForces[12 * i + 6 + k])];
    })));
  }

  box.appendChild(el("h3", "Extremes along the member (x from its start, " + u.length + ")"));
  var extremes = EXTREME_NAMES.map(function (q) {
    var e = s.extremes[q], k = 4 * i;
    var by = env ? function (w) { return " " + name(s.extremesBy[q][2 * i + w]); } : function () { return ""; };
    return [q + " [" + u.of(q) + "]", ZV.fmt(e[k]) + " @ " + ZV.fmt(e[k + 1]) + by(0),
      ZV.fmt(e[k + 2]) + " @ " + ZV.fmt(e[k + 3]) + by(1)];
  });
  box.appendChild(table(["", "max @ x", "min @ x"], extremes));

  box.appendChild(el("h3", "Normal stress [" + u.stress + "], tension positive"));
  if (env) {
    box.appendChild(table(["", "value @ x", "by"], [
      ["max", ZV.fmt(s.stress[4 * i]) + " @ " + ZV.fmt(s.stress[4 * i + 1]), name(s.stressBy[2 * i])],
      ["min", ZV.fmt(s.stress[4 * i + 2]) + " @ " + ZV.fmt(s.stress[4 * i + 3]), name(s.stressBy[2 * i + 1])],
    ]));
  } else {
    var st = s.stress, k = 6 * i;
    box.appendChild(table(["", "along", "at the ends"], [
      ["max", ZV.fmt(st[k]) + " @ " + ZV.fmt(st[k + 1]), ZV.fmt(st[k + 4])],
      ["min", ZV.fmt(st[k + 2]) + " @ " + ZV.fmt(st[k + 3]), ZV.fmt(st[k + 5])],
    ]));
  }
  return box;
};
