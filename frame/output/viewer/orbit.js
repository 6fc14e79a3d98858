// A small orbit control: left drag turns the view about the target, right
// drag (or shift + left) pans, the wheel zooms towards the target. Written
// here rather than taken from three.js's examples so that the page needs one
// library file only and behaves the same with any three.js version.
"use strict";
var ZV = window.ZV || (window.ZV = {});

// up: the world axis that stays upright (z for a space frame, y for a plane
// one); across, along: two axes normal to it, the view's azimuth measured
// from `across` towards `along`.
ZV.Orbit = function (camera, element, up, across, along, onChange) {
  var self = this;
  this.camera = camera;
  this.target = new THREE.Vector3();
  this.radius = 10;
  this.azimuth = 0;
  this.elevation = 0;
  this.axes = [new THREE.Vector3().fromArray(up), new THREE.Vector3().fromArray(across),
               new THREE.Vector3().fromArray(along)];
  camera.up.copy(this.axes[0]);
  this.onChange = onChange;
  this.onClick = null;
  this.onDragEnd = null;  // a drag's last move done: the view may draw in full again
  this.dragging = false;

  var drag = null;
  element.addEventListener("contextmenu", function (e) { e.preventDefault(); });
  element.addEventListener("pointerdown", function (e) {
    drag = { x: e.clientX, y: e.clientY, moved: 0, pan: e.button === 2 || e.button === 1 || e.shiftKey };
    self.dragging = true;
    element.setPointerCapture(e.pointerId);
  });
  element.addEventListener("pointermove", function (e) {
    if (!drag) return;
    var dx = e.clientX - drag.x, dy = e.clientY - drag.y;
    drag.x = e.clientX; drag.y = e.clientY;
    drag.moved += Math.abs(dx) + Math.abs(dy);
    if (drag.pan) self.pan(dx, dy, element.clientHeight);
    else self.turn(-dx * 0.008, dy * 0.008);
  });
  element.addEventListener("pointerup", function (e) {
    // A press that hardly moved is a click: it picks a member.
    if (drag && drag.moved < 4 && self.onClick) self.onClick(e);
    drag = null;
    self.dragging = false;
    if (self.onDragEnd) self.onDragEnd();
  });
  element.addEventListener("wheel", function (e) {
    e.preventDefault();
    self.zoom(Math.exp(e.deltaY * (e.deltaMode ? 0.05 : 0.0015)));
  }, { passive: false });
};

ZV.Orbit.prototype.turn = function (dAzimuth, dElevation) {
  this.azimuth += dAzimuth;
  var limit = Math.PI / 2 - 1e-3;
  this.elevation = Math.max(-limit, Math.min(limit, this.elevation + dElevation));
  this.update();
};

ZV.Orbit.prototype.pan = function (dx, dy, height) {
  // One pixel moves the target by the size of a pixel at the target's depth.
  var perPixel = 2 * this.radius * Math.tan(this.camera.fov * Math.PI / 360) / height;
  var m = this.camera.matrix.elements;
  var right = new THREE.Vector3(m[0], m[1], m[2]), upward = new THREE.Vector3(m[4], m[5], m[6]);
  this.target.addScaledVector(right, -dx * perPixel).addScaledVector(upward, dy * perPixel);
  this.update();
};

ZV.Orbit.prototype.zoom = function (factor) {
  this.radius *= factor;
  this.update();
};

ZV.Orbit.prototype.update = function () {
  var ce = Math.cos(this.elevation);
  var offset = new THREE.Vector3()
    .addScaledVector(this.axes[1], ce * Math.cos(this.azimuth))
    .addScaledVector(this.axes[2], ce * Math.sin(this.azimuth))
    .addScaledVector(this.axes[0], Math.sin(this.elevation))
    .multiplyScalar(this.radius);
  this.camera.position.copy(this.target).add(offset);
  this.camera.near = this.radius / 1000;
  this.camera.far = this.radius * 1000;
  this.camera.lookAt(this.target);
  this.camera.updateProjectionMatrix();
  this.camera.updateMatrixWorld();
  if (this.onChange) this.onChange();
};
