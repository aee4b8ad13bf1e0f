// Plays the pages' drawing lists onto the display panel's canvas, the way the desktop's renderer
// paints them: one-pixel solid pens, lines without their end point, text on an opaque cell with
// tabs expanded from the panel's tab origin, pictures copied unscaled, pauses kept. The canvas's
// buffer holds the panel at the size it shows at and the screen's pixel density, each of the
// panel's pixels a whole block of the buffer's, so lines and pictures stay sharp at any size; text
// is drawn at the buffer's resolution. It keeps what it drew since the panel was last filled, to
// draw it again when the size changes and to make a picture of the panel at its own size.
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
    this.panel = panel;
    this.width = panel.width;
    this.height = panel.height;
    this.tabOriginX = panel.tabOriginX;
    this.faces = cssFontFaces(panel.fontFace);
    this.context = canvas.getContext('2d');
    // Every page selects its pen, colours and font before it draws with them.
    this.pens = {
      pen: 'rgb(0, 0, 0)', textColor: 'rgb(0, 0, 0)', background: 'rgb(0, 0, 0)', fontPixels: 0,
    };
    // The buffer's pixels for each of the panel's, across and down.
    this.scaleX = 1;
    this.scaleY = 1;
    this.queue = [];
    this.playing = false;
    // The text cells drawn since the panel was last filled: where each text stands and what it says.
    this.textCells = [];
    // The operations drawn since the panel was last filled, and the pens they started with.
    this.drawn = [];
    this.pensAtFill = { ...this.pens };
    this.onIdle = () => {};
    this.fitToScreen();
  }

  // Sizes the canvas's buffer for the size the canvas shows at and the screen's density, then
  // draws again what the panel showed.
  fitToScreen() {
    const density = window.devicePixelRatio || 1;
    const shown = this.canvas.getBoundingClientRect();
    const width = Math.max(1, Math.round((shown.width || this.width) * density));
    const height = Math.max(1, Math.round((shown.height || this.height) * density));
    if (width === this.canvas.width && height === this.canvas.height) return;
    this.resize(width, height);
  }

  resize(width, height) {
    this.canvas.width = width;
    this.canvas.height = height;
    this.scaleX = width / this.width;
    this.scaleY = height / this.height;
    const drawn = this.drawn;
    this.pens = { ...this.pensAtFill };
    this.fill();
    for (const op of drawn) this.draw(op);
  }

  // The panel as the pages draw it, one pixel for each of the panel's, for its PNG file.
  picture() {
    const copy = new PanelRenderer(document.createElement('canvas'), this.pictures, this.panel);
    copy.pensAtFill = { ...this.pensAtFill };
    copy.drawn = [...this.drawn];
    copy.resize(this.width, this.height);
    return copy.canvas;
  }

  // The buffer's block for the panel's rectangle from (x, y), width by height: whole pixels, so
  // that neighbouring blocks meet without a seam.
  block(x, y, width, height) {
    const left = Math.round(x * this.scaleX);
    const top = Math.round(y * this.scaleY);
    return [left, top, Math.round((x + width) * this.scaleX) - left,
            Math.round((y + height) * this.scaleY) - top];
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
    if (op.op === 'fill') {
      this.fill();
      return;
    }
    this.drawn.push(op);
    switch (op.op) {
      case 'pen':
        this.pens.pen = cssColor(op.color);
        break;
      case 'line':
        this.line(op);
        break;
      case 'font':
        this.pens.fontPixels = op.pixels;
        break;
      case 'textColors':
        this.pens.textColor = cssColor(op.color);
        this.pens.background = cssColor(op.background);
        break;
      case 'text':
        this.text(op);
        break;
      case 'picture':
        this.copyPicture(op);
        break;
    }
  }

  fill() {
    this.context.setTransform(1, 0, 0, 1, 0, 0);
    this.context.fillStyle = 'rgb(0, 0, 0)';
    this.context.fillRect(0, 0, this.canvas.width, this.canvas.height);
    this.textCells = [];
    this.drawn = [];
    this.pensAtFill = { ...this.pens };
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
    this.context.fillStyle = this.pens.pen;
    while (x !== x2 || y !== y2) {
      this.context.fillRect(...this.block(x, y, 1, 1));
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
    context.setTransform(this.scaleX, 0, 0, this.scaleY, 0, 0);
    context.font = `${this.pens.fontPixels}px ${this.faces}`;
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
    context.setTransform(1, 0, 0, 1, 0, 0);
    context.fillStyle = this.pens.background;
    context.fillRect(...this.block(op.x, op.y, x - op.x, height));
    context.setTransform(this.scaleX, 0, 0, this.scaleY, 0, 0);
    context.fillStyle = this.pens.textColor;
    context.textBaseline = 'alphabetic';
    pieces.forEach((piece, i) => context.fillText(piece, starts[i], op.y + ascent));
    context.setTransform(1, 0, 0, 1, 0, 0);
    this.textCells.push({ x: op.x, y: op.y, width: x - op.x, height, text: op.text });
  }

  // A picture copied pixel for pixel, each of its pixels a block like the panel's own.
  copyPicture(op) {
    const picture = this.pictures[op.name];
    if (!picture) return;
    this.context.imageSmoothingEnabled = false;
    this.context.drawImage(picture, ...this.block(op.x, op.y, picture.width, picture.height));
  }

  // What the panel shows, for the canvas's text alternative: each text once, in drawing order.
  description() {
    const texts = [...new Set(this.textCells.map((cell) => cell.text.replace(/\t/g, ' ').trim()))];
    return texts.join('; ');
  }
}
