// The page: builds the scene from window.ZERVOLA_VIEW, wires the controls,
// honours the address's hash (#set=NAME or #mode=K, &q=QUANTITY,
// &member=NAME) and writes what it drew into <body>'s data- attributes,
// where a headless browser test reads it. It renders only when something
// changed, but for a mode's animation, so that a large frame costs nothing
// while it is looked at.
"use strict";
(function () {
  var data = window.ZERVOLA_VIEW;
  if (!data || data.format !== "zervola-view" || data.version !== 1)
    throw new Error("this page holds no ZERVOLA_VIEW data of version 1");
  var $ = function (id) { return document.getElementById(id); };
  var body = document.body, model = ZV.loadModel(data), units = ZV.units(data);

  var canvas = $("view");
  // A renderer that draws on the processor (SwiftShader, llvmpipe: a machine
  // without a graphics card, or one a browser refuses) pays several times over
  // for smoothed edges: they are dropped there, so that the view still turns.
  var rendererName = (function () {
    var probe = document.createElement("canvas").getContext("webgl");
    var info = probe && probe.getExtension("WEBGL_debug_renderer_info");
    var name = info ? String(probe.getParameter(info.UNMASKED_RENDERER_WEBGL)) : "";
    var lose = probe && probe.getExtension("WEBGL_lose_context");
    if (lose) lose.loseContext();
    return name;
  })();
  var software = /swiftshader|llvmpipe|softpipe|software/i.test(rendererName);
  body.dataset.renderer = rendererName;
  var renderer = new THREE.WebGLRenderer({ canvas: canvas, antialias: !software, preserveDrawingBuffer: true });
  renderer.setPixelRatio(window.devicePixelRatio || 1);
  var scene = new THREE.Scene();
  scene.background = new THREE.Color(0xffffff);
  var camera = new THREE.PerspectiveCamera(35, 1, 0.01, 1000);

  var members = ZV.memberLines(model, 0xa8a8a8);
  scene.add(members);
  scene.add(ZV.supportLines(model, 0x207040));
  scene.add(ZV.hingePoints(model, 0xffffff));
  var deformedMaterial = ZV.deformedMaterial(0x101010), diagramMaterial = ZV.diagramMaterial();
  var layers = {};
  var state = { set: data.sets.length ? 0 : -1, mode: -1, quantity: model.plane ? "Mz" : "My", member: -1 };
  $("quantity").value = state.quantity;

  function replace(name, object) {
    if (layers[name]) {
      scene.remove(layers[name]);
      layers[name].geometry.dispose();
    }
    layers[name] = object;
    if (object) scene.add(object);
  }

  // Sliders: 50 is the default scale, each 25 steps a factor of ten.
  function sliderFactor(id) {
    var v = Number($(id).value);
    return v === 0 ? 0 : Math.pow(10, (v - 50) / 25);
  }

  var scales = { deformed: 0, diagram: 0, largestDeflection: 0, largestValue: 0 };

  function selection() {
    var set = state.set >= 0 ? model.sets[state.set] : null;
    var mode = state.mode >= 0 ? data.modes[state.mode] : null;
    return { set: mode ? null : set, mode: mode };
  }

  // Rebuilds the buffers that depend on the shown set, mode or quantity.
  function rebuild() {
    var t0 = performance.now(), sel = selection(), set = sel.set;
    var decoded = set ? set.decode() : null;
    var envelope = set && set.kind === "envelope";
    if (sel.mode) {
      replace("deformed", ZV.modeShape(model, sel.mode.shape, deformedMaterial));
    } else if (set && !envelope) {
      replace("deformed", ZV.deformedSet(model, decoded.deflection, deformedMaterial));
    } else {
      replace("deformed", null);
    }
    scales.largestDeflection = set && !envelope ? ZV.largestDeflection(decoded.deflection) : 0;
    scales.deformed = scales.largestDeflection > 0 ? 0.08 * model.size / scales.largestDeflection : 0;

    var curves = [];
    if (set && state.quantity) curves = envelope ? [decoded.max[state.quantity], decoded.min[state.quantity]]
      : [decoded[state.quantity]];
    replace("diagram", curves.length ? ZV.diagram(model, curves, state.quantity, diagramMaterial) : null);
    scales.largestValue = ZV.largestValue(curves);
    scales.diagram = scales.largestValue > 0 ? ZV.diagramHeight(model) / scales.largestValue : 0;
    body.dataset.diagramChecksum = layers.diagram ? ZV.checksum([layers.diagram.geometry.attributes.value.array]) : "none";
    body.dataset.diagramSegments = layers.diagram ? String(layers.diagram.geometry.attributes.position.count / 2) : "0";

    replace("loads", set && set.raw.loads ? ZV.loadLines(model, set.raw.loads, 0xc06000) : null);
    body.dataset.set = sel.mode ? "mode " + (state.mode + 1) : set ? set.name : "";
    body.dataset.quantity = state.quantity;
    $("quantity").disabled = !set;
    showPanel();
    applyScales();
    body.dataset.buildMs = String(Math.round(performance.now() - t0));
  }

  function applyScales() {
    var sel = selection(), words = [];
    deformedMaterial.uniforms.scale.value = scales.deformed * sliderFactor("deformed-scale");
    diagramMaterial.uniforms.scale.value = scales.diagram * sliderFactor("diagram-scale");
    if (layers.deformed) layers.deformed.visible = $("deformed").checked;
    if (layers.loads) layers.loads.visible = $("loads").checked;
    if (sel.mode) {
      var m = sel.mode;
      words.push(m.kind === "natural"
        ? "Natural mode " + m.number + ": T = " + ZV.fmt(m.period) + " s, f = " + ZV.fmt(m.frequency) + " Hz."
        : "Buckling mode " + m.number + " of " + m.set + ": critical load factor " + ZV.fmt(m.factor) + ".");
      words.push("Shape (arbitrary size) animated; its largest translation drawn " +
        ZV.fmt(modeAmplitude() / m.scale) + " " + units.length + ".");
    } else if (sel.set) {
      if (sel.set.kind === "envelope") {
        words.push("Envelope of " + sel.set.raw.of.map(function (k) { return data.sets[k].name; }).join(", ") +
          ": largest and smallest values; no deformed shape.");
      } else {
        words.push("Deflections drawn \u00d7" + ZV.fmt(deformedMaterial.uniforms.scale.value) +
          " (largest along the members " + ZV.fmt(scales.largestDeflection) + " " + units.length + ").");
      }
      if (state.quantity)
        words.push(state.quantity + ": largest magnitude " + ZV.fmt(scales.largestValue) + " " + units.of(state.quantity) +
          ", drawn " + ZV.fmt(scales.largestValue * diagramMaterial.uniforms.scale.value) + " " + units.length +
          " from the member; red positive, blue negative; moments on the tension side.");
    }
    $("scales").textContent = words.join(" ");
    requestRender();
  }

  function modeAmplitude() {
    var m = selection().mode;
    return m ? m.scale * 0.08 * model.size * sliderFactor("deformed-scale") : 0;
  }

  // The panel of the picked member, with a highlight over it.
  function showPanel() {
    var panel = $("panel"), sel = selection();
    if (state.member < 0) {
      panel.hidden = true;
      replace("highlight", null);
      centreView();
      return;
    }
    panel.hidden = false;
    panel.textContent = "";
    panel.appendChild(ZV.memberPanel(model, state.member, sel.set, sel.mode));
    var pos = members.geometry.attributes.position.array.slice(6 * state.member, 6 * state.member + 6);
    var g = new THREE.BufferGeometry();
    g.setAttribute("position", new THREE.BufferAttribute(pos, 3));
    var mark = new THREE.LineSegments(g, new THREE.LineBasicMaterial({ color: 0xd000d0, depthTest: false }));
    mark.renderOrder = 3;
    replace("highlight", mark);
    body.dataset.member = data.members.names[state.member];
    centreView();
  }

  // Centres the drawing in the area of the canvas left free by the controls and
  // the panel, by shifting the camera's view rather than the target.
  function freePart() {
    var w = canvas.clientWidth || window.innerWidth, h = canvas.clientHeight || window.innerHeight;
    var left = $("controls").getBoundingClientRect().right, panel = $("panel");
    var right = panel.hidden ? w : panel.getBoundingClientRect().left;
    if (right - left < 0.3 * w) { left = 0; right = w; }
    return { w: w, h: h, left: left, right: right };
  }
  function centreView() {
    var f = freePart();
    camera.setViewOffset(f.w, f.h, -((f.left + f.right) / 2 - f.w / 2), 0, f.w, f.h);
    orbit.update();
  }
  // The frame's bounding sphere fits the height and the free width.
  function fitView() {
    var f = freePart();
    var half = Math.atan(Math.tan(camera.fov * Math.PI / 360) * Math.min(1, (f.right - f.left) / f.h));
    orbit.radius = 1.1 * (reach || 1) / Math.sin(half);
    orbit.update();
  }

  // The selector: load cases, combinations, envelopes, then modes.
  (function fillSelector() {
    var select = $("set"), groups = {};
    var titles = { "case": "Load cases", combination: "Combinations", envelope: "Envelopes",
      natural: "Natural modes", buckling: "Buckling modes" };
    function group(kind) {
      if (!groups[kind]) {
        groups[kind] = document.createElement("optgroup");
        groups[kind].label = titles[kind] || kind;
        select.appendChild(groups[kind]);
      }
      return groups[kind];
    }
    data.sets.forEach(function (s, k) {
      var o = new Option(s.name, "set:" + k);
      group(s.kind).appendChild(o);
    });
    data.modes.forEach(function (m, k) {
      var label = m.kind === "natural" ? "Mode " + m.number + " (T = " + ZV.fmt(m.period) + " s)"
        : m.set + ": mode " + m.number + " (factor " + ZV.fmt(m.factor) + ")";
      group(m.kind).appendChild(new Option(label, "mode:" + k));
    });
  })();

  function syncSelector() {
    $("set").value = state.mode >= 0 ? "mode:" + state.mode : "set:" + state.set;
  }

  // #set=NAME or #mode=K (1-based in the modes' list), &q=N|Vy|..|none, &member=NAME.
  function readHash() {
    var h = {};
    location.hash.replace(/^#/, "").split("&").forEach(function (kv) {
      var i = kv.indexOf("=");
      if (i > 0) h[decodeURIComponent(kv.slice(0, i))] = decodeURIComponent(kv.slice(i + 1));
    });
    if (h.set !== undefined) {
      var k = data.sets.map(function (s) { return s.name; }).indexOf(h.set);
      if (k < 0) console.warn("no load set named " + h.set);
      else { state.set = k; state.mode = -1; }
    }
    if (h.mode !== undefined && data.modes[Number(h.mode) - 1]) state.mode = Number(h.mode) - 1;
    if (h.q !== undefined) state.quantity = h.q === "none" ? "" : h.q;
    if (h.member !== undefined) state.member = data.members.names.indexOf(h.member);
    pendingClick = h.click === undefined ? -1 : data.members.names.indexOf(h.click);
    spinFrames = h.spin === undefined ? 0 : Math.max(0, Math.min(3600, Number(h.spin) | 0));
    spinLight = h.light === "1";
    $("quantity").value = state.quantity;
    syncSelector();
  }

  function writeHash() {
    var parts = [state.mode >= 0 ? "mode=" + (state.mode + 1) : "set=" + encodeURIComponent(data.sets[state.set] ? data.sets[state.set].name : "")];
    parts.push("q=" + (state.quantity || "none"));
    if (state.member >= 0) parts.push("member=" + encodeURIComponent(data.members.names[state.member]));
    history.replaceState(null, "", "#" + parts.join("&"));
  }

  $("set").addEventListener("change", function () {
    var v = this.value.split(":");
    if (v[0] === "mode") { state.mode = Number(v[1]); } else { state.mode = -1; state.set = Number(v[1]); }
    writeHash(); rebuild();
  });
  $("quantity").addEventListener("change", function () { state.quantity = this.value; writeHash(); rebuild(); });
  ["deformed-scale", "diagram-scale"].forEach(function (id) { $(id).addEventListener("input", applyScales); });
  ["deformed", "loads"].forEach(function (id) { $(id).addEventListener("change", applyScales); });
  window.addEventListener("hashchange", function () {
    readHash(); rebuild();
    if (pendingClick >= 0) clickMember(pendingClick);
  });

  // The camera: a space frame seen from above a front corner, a plane frame
  // square on; far enough for the whole frame.
  var orbit = model.plane ? new ZV.Orbit(camera, canvas, [0, 1, 0], [0, 0, 1], [1, 0, 0], requestRender)
    : new ZV.Orbit(camera, canvas, [0, 0, 1], [1, 0, 0], [0, 1, 0], requestRender);
  var reach = 0;
  for (var k = 0; k < model.nodes.length; k += 3)
    reach = Math.max(reach, Math.hypot(model.nodes[k], model.nodes[k + 1], model.nodes[k + 2]));
  if (!model.plane) { orbit.azimuth = -Math.PI / 3; orbit.elevation = 0.45; }
  orbit.onClick = function (e) {
    var ray = ZV.pixelRay(camera, canvas, e.clientX, e.clientY);
    state.member = ZV.pickMember(model, ray.origin, ray.dir, 6 * ray.perPixel);
    writeHash(); showPanel(); requestRender();
  };

  // #click=NAME clicks, once drawn, the pixel where member NAME's middle is
  // seen: the path of a user's click, for a test to see what it picks.
  var pendingClick = -1;
  // #spin=N turns the view once round in N frames, each drawn to the end
  // (gl.finish), right after the first: the cost of turning a large frame,
  // for a benchmark to time from outside (virtual time would not show it).
  // &light=1: the frames as a slow drag draws them, members alone.
  var spinFrames = 0, spinLight = false;
  function spin() {
    var gl = renderer.getContext();
    showDetail(!spinLight);
    for (var i = 0; i < spinFrames; ++i) {
      orbit.azimuth += 2 * Math.PI / spinFrames;
      orbit.update();
      renderer.render(scene, camera);
      gl.finish();
    }
    showDetail(true);
    body.dataset.spun = String(spinFrames);
  }
  function clickMember(i) {
    var p = model.data.members.nodes, a = 3 * p[2 * i], b = 3 * p[2 * i + 1];
    var mid = new THREE.Vector3((model.nodes[a] + model.nodes[b]) / 2, (model.nodes[a + 1] + model.nodes[b + 1]) / 2,
      (model.nodes[a + 2] + model.nodes[b + 2]) / 2).project(camera);
    var r = canvas.getBoundingClientRect();
    orbit.onClick({ clientX: r.left + (mid.x + 1) / 2 * r.width, clientY: r.top + (1 - mid.y) / 2 * r.height });
  }

  var pending = false;
  // While a drag turns a frame too large to redraw in time, the diagram, the
  // deformed shape and the loads are left out until the drag ends: the
  // members alone keep the turning smooth, and the full view comes back at
  // once after.
  var k_slow_frame_ms = 80, light = false;
  orbit.onDragEnd = function () {
    if (light) { light = false; requestRender(); }
  };
  function showDetail(on) {
    ["diagram", "deformed", "loads"].forEach(function (name) {
      if (layers[name]) layers[name].visible = on && (name === "diagram" || $(name).checked);
    });
  }
  function requestRender() {
    if (pending) return;
    pending = true;
    requestAnimationFrame(draw);
  }
  function draw(time) {
    pending = false;
    showDetail(!light);
    if (selection().mode) {
      // A mode swings as a sine in time, one cycle in 1.6 s whatever its period.
      deformedMaterial.uniforms.scale.value = modeAmplitude() * Math.sin(2 * Math.PI * (time || 0) / 1600);
      requestRender();
    }
    if (orbit.dragging && !light) {
      // Timed to the end of the drawing (finish), which a graphics card
      // does in a few milliseconds: only a frame drawn on the processor, or
      // a very large one, turns the detail off.
      var t0 = performance.now();
      renderer.render(scene, camera);
      renderer.getContext().finish();
      light = performance.now() - t0 > k_slow_frame_ms;
      return;
    }
    renderer.render(scene, camera);
  }
  function resize() {
    var w = canvas.clientWidth || window.innerWidth, h = canvas.clientHeight || window.innerHeight;
    renderer.setSize(w, h, false);
    camera.aspect = w / h;
    centreView();
  }
  window.addEventListener("resize", resize);

  $("title").textContent = data.title || "zervola-frame";
  $("units").textContent = "Units: force " + units.force + ", length " + units.length + ", moment " + units.moment +
    ", stress " + units.stress + "; time s.";
  $("signs").textContent = data.signConvention;
  readHash();
  resize();
  rebuild();
  fitView();
  if (pendingClick >= 0) clickMember(pendingClick);
  // Drawn once here, so that what the attributes say is on the canvas.
  renderer.render(scene, camera);
  if (spinFrames > 0) spin();
  body.dataset.members = String(members.geometry.attributes.position.count / 2);
  // Milliseconds from the start of navigation until the first frame was drawn.
  body.dataset.loadMs = String(Math.round(performance.now()));
  body.dataset.ready = "1";

  window.zervolaView = {
    show: function (name) { location.hash = "set=" + encodeURIComponent(name) + "&q=" + (state.quantity || "none"); },
    state: function () { return JSON.parse(JSON.stringify(state)); },
  };
})();
