// Plays the pages' drawing lists onto the display panel's canvas, the way the desktop's renderer
// paints them: one-pixel solid pens, lines without their end point, text on an opaque cell with
// tabs expanded from the panel's tab origin, pictures copied unscaled, pauses kept. The canvas
// holds the panel at the screen's pixel density, so lines and pictures stay sharp.
'use strict';

function cssColor([red, green, blue]) {
  return `rgb(${red}, ${green}, ${blue})`;
}

// A face with the faces that stand in for it where the browser lacks it: Liberation Sans takes
// Arial's room, as the program's built-in font does.
function cssFontFaces(face) {
  return `"${face}", "Liberation Sans", Helvetica, sans-serif`;
}

class PanelRenderer {
  // pictures: the pictures a list may copy, by name, already decoded. panel: the panel's
  // "width", "height", "tabOriginX" and "fontFace", as the dialog's description gives them.
  constructor(canvas, pictures, panel) {
    this.canvas = canvas;
    this.pictures = pictures;
    this.width = panel.width;
    this.height = panel.height;
    this.tabOriginX = panel.tabOriginX;
    this.faces = cssFontFaces(panel.fontFace);
    this.context = canvas.getContext('2d');
    this.pen = 'rgb(0, 0, 0)';
    this.textColor = 'rgb(0, 0, 0)';
    this.background = 'rgb(0, 0, 0)';
    // Every page selects its font before its first text.
    this.fontPixels = 0;
    this.queue = [];
    this.playing = false;
    // The text cells drawn since the panel was last filled: where each text stands and what it says.
    this.textCells = [];
    this.onIdle = () => {};
    this.fitToScreen();
  }

  // Sizes the canvas's buffer for the screen's density. Like the desktop's panel when the system
  // repaints it, the panel is black afterwards.
  fitToScreen() {
    const density = window.devicePixelRatio || 1;
    this.canvas.width = Math.round(this.width * density);
    this.canvas.height = Math.round(this.height * density);
    this.context.setTransform(density, 0, 0, density, 0, 0);
    this.context.imageSmoothingEnabled = false;
    this.fill();
  }

  // Plays ops after whatever is still playing; the pauses wait without holding up the page.
  play(ops) {
    this.queue.push(...ops);
    if (!this.playing) this.drain();
  }

  async drain() {
    this.playing = true;
    this.canvas.setAttribute('aria-busy', 'true');
    while (this.queue.length > 0) {
      const op = this.queue.shift();
      if (op.op === 'pause') {
        await new Promise((resume) => setTimeout(resume, op.ms));
      } else {
        this.draw(op);
      }
    }
    this.playing = false;
    this.canvas.setAttribute('aria-busy', 'false');
    this.onIdle();
  }

  draw(op) {
    switch (op.op) {
      case 'fill':
        this.fill();
        break;
      case 'pen':
        this.pen = cssColor(op.color);
        break;
      case 'line':
        this.line(op);
        break;
      case 'font':
        this.fontPixels = op.pixels;
        break;
      case 'textColors':
        this.textColor = cssColor(op.color);
        this.background = cssColor(op.background);
        break;
      case 'text':
        this.text(op);
        break;
      case 'picture':
        if (this.pictures[op.name]) this.context.drawImage(this.pictures[op.name], op.x, op.y);
        break;
    }
  }

  fill() {
    this.context.fillStyle = 'rgb(0, 0, 0)';
    this.context.fillRect(0, 0, this.width, this.height);
    this.textCells = [];
  }

  line(op) {
    let { x, y, x2, y2 } = op;
    // A bar of a wild signal can run far beyond the panel. The pages' lines are upright or level,
    // so such a line is cut one pixel outside the panel, where nothing of it shows anyway.
    const clamp = (value, high) => Math.min(Math.max(value, -1), high);
    if (x === x2) {
      y = clamp(y, this.height);
      y2 = clamp(y2, this.height);
    } else if (y === y2) {
      x = clamp(x, this.width);
      x2 = clamp(x2, this.width);
    }
    // Every pixel from the start towards the end point, the end point itself left out.
    const dx = Math.abs(x2 - x);
    const dy = -Math.abs(y2 - y);
    const stepX = x < x2 ? 1 : -1;
    const stepY = y < y2 ? 1 : -1;
    let error = dx + dy;
    this.context.fillStyle = this.pen;
    while (x !== x2 || y !== y2) {
      this.context.fillRect(x, y, 1, 1);
      const twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        x += stepX;
      }
      if (twice <= dx) {
        error += dx;
        y += stepY;
      }
    }
  }

  text(op) {
    const context = this.context;
    context.font = `${this.fontPixels}px ${this.faces}`;
    const pieces = op.text.split('\t');
    const starts = [];
    let x = op.x;
    pieces.forEach((piece, i) => {
      // A tab moves to the next tab position after x; without tab expansion it takes no room.
      if (i > 0 && op.tabStop > 0) {
        const origin = this.tabOriginX;
        x = origin + (Math.floor((x - origin) / op.tabStop) + 1) * op.tabStop;
      }
      starts.push(x);
      x += context.measureText(piece).width;
    });
    const metrics = context.measureText(op.text);
    const ascent = metrics.fontBoundingBoxAscent;
    const height = ascent + metrics.fontBoundingBoxDescent;
    // The opaque background: the whole cell, tab gaps included, covers whatever lay under it, so a
    // line drawn again one pixel further leaves no trail.
    context.fillStyle = this.background;
    context.fillRect(op.x, op.y, x - op.x, height);
    context.fillStyle = this.textColor;
    context.textBaseline = 'alphabetic';
    pieces.forEach((piece, i) => context.fillText(piece, starts[i], op.y + ascent));
    this.textCells.push({ x: op.x, y: op.y, width: x - op.x, height, text: op.text });
  }

  // What the panel shows, for the canvas's text alternative: each text once, in drawing order.
  description() {
    const texts = [...new Set(this.textCells.map((cell) => cell.text.replace(/\t/g, ' ').trim()))];
    return texts.join('; ');
  }
}
