// The page's dialog: its controls are built from the dialog's description that the module exports,
// and each press goes to the page's session compiled into the module, which answers what the page
// must then do itself; the page shows the state it answers and plays the drawings the press made.
// The motion file is read here, in the page, and goes nowhere else.
//
// Around the dialog the page is a small web tool: on a narrow or touch screen the controls stack
// above the panel, on a large one the dialog scales up; a visible line under the status says what
// the tooltip says and confirms each download; the panel invites a first file and names the file
// opened; the numbers can be typed.
'use strict';

(() => {
  const element = (id) => document.getElementById(id);
  const root = document.documentElement;
  const dialog = element('dialog');
  const fileInput = element('open-file');
  // Holding an arrow repeats its step, after a pause, as the desktop's spin arrows do.
  const REPEAT_DELAY_MS = 400;
  const REPEAT_EVERY_MS = 60;
  // Where the controls stack above the panel, at sizes a finger can hit (the style has one more
  // step of its own for the narrowest screens).
  const STACKED = window.matchMedia('(max-width: 639px), (pointer: coarse)');
  // How much of a large window's width the dialog may take.
  const FILL_WIDTH = 0.8;
  // The dialog scales by quarters, and never below its own size.
  const SCALE_STEPS = 4;
  // Text outside the panel reads at this contrast against its background at least.
  const TEXT_CONTRAST = 4.5;

  let zev = null;
  let description = null;
  let state = null;
  let renderer = null;
  let canvas = null;
  // What the page says under the status until the next action: a download, a refused number.
  let note = '';
  // How each control of the description shows its part of the state, by name.
  const shows = new Map();
  // How the page's own lines show it.
  const pageLines = [];

  const text = (pointer) => zev.UTF8ToString(pointer);
  // The bytes of the text the module answered last.
  const answerBytes = (pointer) => zev.HEAPU8.slice(pointer, pointer + zev._zev_answer_size());

  // Shows the state the module answers and plays what was drawn since the last call.
  function refresh() {
    state = JSON.parse(text(zev._zev_state()));
    for (const [name, shown] of Object.entries(state.controls)) shows.get(name)?.(shown);
    for (const show of pageLines) show();
    // The signals are those Save writes.
    element('signals').disabled = !state.controls.save.enabled;
    const caption = description.caption.trim();
    document.title = state.fileName ? `${state.fileName} \u2014 ${caption}` : caption;
    renderer.play(JSON.parse(text(zev._zev_take_panel_ops())));
  }

  function showNote(text) {
    note = text;
    element('detail').textContent = note;
  }

  // An action of the dialog: the module's call, then the state it leaves.
  const act = (call) => {
    note = '';
    const answer = call();
    refresh();
    return answer;
  };

  // A press of a control, then what the press leaves to the page.
  function press(row) {
    switch (act(() => text(zev._zev_press(row.id)))) {
      case 'chooseFileToOpen':
        fileInput.value = '';
        fileInput.click();
        break;
      case 'chooseFileToSave':
        download(new Blob([answerBytes(zev._zev_pose_file())]), state.poseName);
        break;
      // A page cannot close the browser's tab, and leaves the tone to the browser.
      default:
        break;
    }
  }

  const step = (row, up) => act(() => zev._zev_step(row.id, up ? 1 : 0));

  // The colour, darkened as little as it takes to read at TEXT_CONTRAST on the dialog's light
  // background, by the contrast ratio of the web's accessibility guidelines.
  function readableOn(color, background) {
    const WEIGHTS = [0.2126, 0.7152, 0.0722];
    const luminance = (rgb) => rgb.reduce((sum, channel, i) => {
      const c = channel / 255;
      return sum + WEIGHTS[i] * (c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4);
    }, 0);
    const contrast = (rgb) => (luminance(background) + 0.05) / (luminance(rgb) + 0.05);
    let shade = color;
    for (let percent = 1; contrast(shade) < TEXT_CONTRAST && percent <= 100; ++percent) {
      shade = color.map((channel) => Math.round(channel * (1 - percent / 100)));
    }
    return shade;
  }

  // The place of a control in dialog units, which the style turns into pixels.
  function place(control, { x, y, width, height }) {
    control.style.setProperty('--x', x);
    control.style.setProperty('--y', y);
    control.style.setProperty('--w', width);
    control.style.setProperty('--h', height);
  }

  // The text with its marked letter ("&Open") underlined, in the control or in a part of it; the
  // letter is the control's access key.
  function showText(control, textWithMark, into = control) {
    const mark = textWithMark.indexOf('&');
    if (mark < 0 || mark + 1 >= textWithMark.length) {
      into.append(textWithMark);
      return;
    }
    const letter = document.createElement('u');
    letter.textContent = textWithMark[mark + 1];
    into.append(textWithMark.slice(0, mark), letter, textWithMark.slice(mark + 2));
    control.accessKey = letter.textContent.toLowerCase();
  }

  // Radio buttons and check boxes: a box with its text, pressed by a click.
  function choice(row, type, group) {
    const label = document.createElement('label');
    label.className = 'choice';
    const input = document.createElement('input');
    input.type = type;
    input.id = row.name;
    if (group) input.name = group;
    input.addEventListener('click', () => press(row));
    // The text in one piece, which the box keeps its distance from.
    const text = document.createElement('span');
    showText(label, row.text, text);
    label.append(input, text);
    shows.set(row.name, (shown) => {
      input.checked = shown.checked;
      input.disabled = !shown.enabled;
    });
    return label;
  }

  function holdToRepeat(button, repeat) {
    let timer = null;
    const stop = () => {
      clearTimeout(timer);
      clearInterval(timer);
      timer = null;
    };
    button.addEventListener('pointerdown', (event) => {
      if (event.button !== 0 || button.disabled) return;
      event.preventDefault();
      repeat();
      stop();
      timer = setTimeout(() => {
        timer = setInterval(() => (button.disabled ? stop() : repeat()), REPEAT_EVERY_MS);
      }, REPEAT_DELAY_MS);
    });
    for (const end of ['pointerup', 'pointerleave', 'pointercancel']) {
      button.addEventListener(end, stop);
    }
  }

  // Builds every control of the description in its order, which is also the order Tab goes round.
  function buildDialog() {
    const { cell, unitsPerCell, colors } = description;
    const background = colors.background;
    const variables = {
      '--cell-unit-x': `${cell.width / unitsPerCell.x}px`,
      '--cell-unit-y': `${cell.height / unitsPerCell.y}px`,
      '--face': cssFontFaces(description.font.face),
      '--font-size': `${description.font.pixels}px`,
      '--background': cssColor(background),
      '--text': cssColor(readableOn(colors.text, background)),
      '--disabled-text': cssColor(readableOn(colors.disabledText, background)),
      '--dialog-width': description.width,
      '--dialog-height': description.height,
      '--panel-columns': description.panel.width,
      '--panel-rows': description.panel.height,
    };
    for (const [name, value] of Object.entries(variables)) root.style.setProperty(name, value);
    element('caption').textContent = description.caption.trim();
    fileInput.accept = description.openDialog.pattern.replace(/^\*/, '');

    // What a control needs of the ones before it: a field its label, a spin its field.
    let radioGroup = null;
    let label = null;
    let field = null;
    description.controls.forEach((row, index) => {
      let control = null;
      switch (row.kind) {
        case 'pushButton':
          control = document.createElement('button');
          control.type = 'button';
          control.id = row.name;
          showText(control, row.text);
          control.addEventListener('click', () => press(row));
          shows.set(row.name, (shown) => { control.disabled = !shown.enabled; });
          break;
        case 'radioButton':
          radioGroup ??= `radios-${index}`;
          control = choice(row, 'radio', radioGroup);
          break;
        case 'checkBox':
          control = choice(row, 'checkbox');
          break;
        case 'label':
          control = document.createElement('label');
          control.id = `label-${index}`;
          control.textContent = row.text;
          label = control;
          break;
        case 'numberField':
          control = numberField(row, label);
          field = { row, control };
          break;
        case 'spin':
          control = spinArrows(row, field, label);
          break;
        case 'statusField':
          control = statusField(row);
          break;
        case 'displayPanel':
          dialog.append(fileNameLine(row));
          control = displayPanel(row);
          break;
        case 'groupFrame':
          control = document.createElement('div');
          control.className = 'frame';
          break;
      }
      if (row.kind !== 'radioButton') radioGroup = null;
      if (row.kind !== 'spin') place(control, row);
      control.dataset.kind = row.kind;
      if (row.kind === 'groupFrame') {
        dialog.prepend(control);
      } else {
        dialog.append(control);
      }
      if (row.kind === 'statusField') dialog.append(detailLine(row));
    });
  }

  // The reader's messages, read out when they change; the detail says where and why, for a pointer
  // as a tooltip and for a screen reader with it, and in the line under the field for everyone.
  function statusField(row) {
    const control = document.createElement('output');
    control.id = row.name;
    control.setAttribute('role', 'status');
    control.setAttribute('aria-live', 'polite');
    shows.set(row.name, () => {
      if (control.value !== state.status) control.value = state.status;
      control.title = state.detail;
      control.setAttribute('aria-description', state.detail);
    });
    return control;
  }

  // The line under the status: its detail, or what the page says of the last thing it did.
  function detailLine(status) {
    const line = document.createElement('p');
    line.id = 'detail';
    line.className = 'detail';
    line.setAttribute('aria-live', 'polite');
    place(line, { ...status, y: status.y + status.height, width: description.width - 2 * status.x });
    pageLines.push(() => { line.textContent = note || state.detail; });
    return line;
  }

  // The opened file's name, above the panel.
  function fileNameLine(panel) {
    const line = document.createElement('p');
    line.id = 'file-name';
    line.className = 'file-name';
    place(line, panel);
    pageLines.push(() => { line.textContent = state.fileName; });
    return line;
  }

  // A number that its spin steps and that can be typed, named by the label before it. The arrow
  // keys step it as the arrows do, wrapping around; Home and End go to its ends, PageUp and
  // PageDown a tenth of its range towards them; a typed number is taken when it is one of the
  // range's, and refused with a note otherwise.
  function numberField(row, label) {
    const control = document.createElement('input');
    control.id = row.name;
    control.type = 'text';
    control.inputMode = 'numeric';
    control.autocomplete = 'off';
    control.spellcheck = false;
    control.setAttribute('role', 'spinbutton');
    control.setAttribute('aria-valuemin', row.min);
    control.setAttribute('aria-valuemax', row.max);
    label.htmlFor = row.name;
    let value = null;
    const set = (wanted) => act(() => zev._zev_set_spin(row.id, wanted)) === 1;
    const page = Math.max(1, Math.round((row.max - row.min) / 10));
    const jumps = new Map([
      ['Home', () => row.min],
      ['End', () => row.max],
      ['PageUp', () => Math.min(row.max, value + page)],
      ['PageDown', () => Math.max(row.min, value - page)],
    ]);
    function take() {
      const typed = control.value.trim();
      if (typed === String(value)) return;
      // Nine digits at most: a longer number is out of every range, and would not fit the module's.
      if (!(/^\d{1,9}$/.test(typed) && set(Number(typed)))) {
        control.value = String(value);
        showNote(`${label.textContent} takes a whole number from ${row.min} to ${row.max}; ` +
                 `it stays ${value}.`);
      }
    }
    control.addEventListener('keydown', (event) => {
      if (event.key === 'ArrowUp' || event.key === 'ArrowDown') {
        event.preventDefault();
        step(row, event.key === 'ArrowUp');
      } else if (jumps.has(event.key)) {
        event.preventDefault();
        set(jumps.get(event.key)());
      } else if (event.key === 'Enter') {
        event.preventDefault();
        take();
      } else if (event.key === 'Escape') {
        control.value = String(value);
      }
    });
    control.addEventListener('change', take);
    shows.set(row.name, (shown) => {
      value = shown.value;
      control.value = String(value);
      control.setAttribute('aria-valuenow', value);
      control.disabled = !shown.enabled;
    });
    return control;
  }

  // Like the platform's up-down control, the arrows attach to the right side of the field before
  // them and take their width from that field.
  function spinArrows(row, field, label) {
    const control = document.createElement('div');
    control.className = 'arrows';
    const fieldUnits = field.row;
    place(field.control, { ...fieldUnits, width: fieldUnits.width - row.width });
    place(control, { ...fieldUnits, x: fieldUnits.x + fieldUnits.width - row.width, width: row.width });
    const arrows = [true, false].map((up) => {
      const arrow = document.createElement('button');
      arrow.type = 'button';
      arrow.tabIndex = -1;
      arrow.setAttribute('aria-label', `${label.textContent} ${up ? 'up' : 'down'}`);
      arrow.textContent = up ? '\u25B2' : '\u25BC';
      holdToRepeat(arrow, () => step(row, up));
      // The field keeps the keyboard's focus, as the arrow keys step it too; a touch leaves it, as
      // a focused field would call up the screen's keyboard.
      arrow.addEventListener('pointerdown', (event) => {
        if (event.pointerType !== 'touch' && !arrow.disabled) field.control.focus();
      });
      return arrow;
    });
    control.append(...arrows);
    shows.set(row.name, (shown) => arrows.forEach((arrow) => { arrow.disabled = !shown.enabled; }));
    return control;
  }

  // The panel inside its edge. Only the left button clicks it; from the keyboard, Enter or Space
  // on it. Before the first file it invites one, and while a file is dragged over the page it is
  // where the file goes.
  function displayPanel(row) {
    const edge = document.createElement('div');
    edge.className = 'panel-edge';
    canvas = document.createElement('canvas');
    canvas.id = row.name;
    canvas.tabIndex = 0;
    canvas.setAttribute('role', 'img');
    canvas.setAttribute('aria-label', 'Display panel');
    canvas.setAttribute('aria-busy', 'false');
    canvas.addEventListener('mousedown', (event) => {
      if (event.button === 0) press(row);
    });
    canvas.addEventListener('keydown', (event) => {
      if (event.key !== 'Enter' && event.key !== ' ') return;
      event.preventDefault();
      press(row);
    });

    const invitation = document.createElement('div');
    invitation.className = 'empty-state';
    const prompt = document.createElement('p');
    prompt.textContent = 'Drop a BVH motion here, or Open one';
    const sample = document.createElement('button');
    sample.type = 'button';
    sample.id = 'try-sample';
    sample.textContent = 'Try the sample';
    sample.addEventListener('click', trySample);
    invitation.append(prompt, sample);
    pageLines.push(() => { invitation.hidden = !state.emptyState; });

    const dropTarget = document.createElement('div');
    dropTarget.className = 'drop-target';
    dropTarget.setAttribute('aria-hidden', 'true');
    dropTarget.textContent = 'Drop the motion to open it';
    edge.append(canvas, invitation, dropTarget);
    return edge;
  }

  // Open of a file the user chose or dropped: its bytes go into the module's memory and the
  // dialog's Open reads them there.
  async function openChosenFile(file) {
    if (!zev.ccall('zev_admits_file', 'number', ['string', 'number'], [file.name, file.size])) {
      refresh();
      return;
    }
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      zev.ccall('zev_open_unreadable', null, ['string', 'string'],
                [file.name, `${file.name}: ${error.message}`]);
      refresh();
      return;
    }
    const pointer = zev._malloc(Math.max(bytes.length, 1));
    if (pointer === 0) {
      zev.ccall('zev_open_unreadable', null, ['string', 'string'],
                [file.name, `${file.name}: not enough memory for it in this page`]);
    } else {
      zev.HEAPU8.set(bytes, pointer);
      zev.ccall('zev_open_file', null, ['string', 'number', 'number'],
                [file.name, pointer, bytes.length]);
      zev._free(pointer);
    }
    refresh();
  }

  // The sample motion is a script of its own beside the page, so that it loads from disk too; it
  // is read only when asked for.
  function loadSample() {
    if (typeof ZEV_SAMPLE !== 'undefined') return Promise.resolve(ZEV_SAMPLE);
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = 'sample.js';
      script.onload = () => resolve(ZEV_SAMPLE);
      script.onerror = () => reject(new Error('the sample motion could not be loaded'));
      document.head.append(script);
    });
  }

  async function trySample() {
    let sample;
    try {
      sample = await loadSample();
    } catch (error) {
      showNote(`${error.message}.`);
      return;
    }
    act(() => zev._zev_begin_open());
    await openChosenFile(new File([sample.text], sample.name));
  }

  // Hands the file to the browser and says so, with its name and size.
  function download(blob, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    // The browser has taken the file once the click is handled.
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    showNote(`${name} downloaded, ${blob.size.toLocaleString('en')} bytes.`);
  }

  // Large windows get a larger dialog: as large as the window's height and most of its width
  // allow, measured at the dialog's own size.
  function fitLayout() {
    const stacked = STACKED.matches;
    root.classList.toggle('stacked', stacked);
    root.style.setProperty('--scale', 1);
    if (stacked) return;
    const window_ = element('window');
    const [width, height] = [window_.offsetWidth, window_.offsetHeight];
    const around = document.body.offsetHeight - height;
    const fits = Math.min(FILL_WIDTH * window.innerWidth / width, (window.innerHeight - around) / height);
    root.style.setProperty('--scale', Math.max(1, Math.floor(fits * SCALE_STEPS) / SCALE_STEPS));
  }

  function wirePage() {
    fileInput.addEventListener('change', () => {
      if (fileInput.files.length > 0) openChosenFile(fileInput.files[0]);
    });
    element('signals').addEventListener('click', () => {
      const csv = answerBytes(zev._zev_signals_csv());
      download(new Blob([csv], { type: 'text/csv' }), state.signalsName);
    });
    element('picture').addEventListener('click', () => {
      const name = state.pageName;
      renderer.picture().toBlob((png) => download(png, name), 'image/png');
    });
    renderer.onIdle = () =>
      canvas.setAttribute('aria-label', `Display panel: ${renderer.description()}`);
    fitLayout();
    window.addEventListener('resize', fitLayout);
    STACKED.addEventListener('change', fitLayout);
    // The panel's buffer follows the size it shows at and the screen's density, which zooming or
    // moving the window to another screen changes.
    new ResizeObserver(() => renderer.fitToScreen()).observe(canvas);
    let density = window.devicePixelRatio;
    window.addEventListener('resize', () => {
      if (window.devicePixelRatio === density) return;
      density = window.devicePixelRatio;
      renderer.fitToScreen();
    });
  }

  function acceptDrops() {
    const dragging = (on) => element('window').classList.toggle('dragging', on);
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      dragging(true);
    });
    document.addEventListener('dragleave', (event) => {
      if (event.relatedTarget === null) dragging(false);
    });
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      dragging(false);
      const files = event.dataTransfer.files;
      const first = files.length > 0 ? files[0].name : '';
      if (!zev.ccall('zev_opens_dropped_file', 'number', ['number', 'string'], [files.length, first])) {
        showNote('Drop one .bvh file to open it.');
        return;
      }
      act(() => zev._zev_begin_open());
      openChosenFile(files[0]);
    });
  }

  // Served over http(s), the page can be installed, and its worker keeps its files for use
  // without a network. From disk it needs neither, and a worker cannot be had there.
  function workOffline() {
    if (!/^https?:$/.test(window.location.protocol) || !('serviceWorker' in navigator)) return;
    const manifest = document.createElement('link');
    manifest.rel = 'manifest';
    manifest.href = 'manifest.webmanifest';
    document.head.append(manifest);
    navigator.serviceWorker.register('sw.js').catch((error) => {
      console.warn(`Z.E.V will not work offline: ${error.message}`);
    });
  }

  async function start() {
    workOffline();
    const about = new Image();
    about.src = ABOUT_PICTURE_ADDRESS;
    await about.decode();
    zev = await createZevModule();
    description = JSON.parse(text(zev._zev_dialog()));
    buildDialog();
    renderer = new PanelRenderer(canvas, { about }, description.panel);
    wirePage();
    acceptDrops();
    // The about page as soon as the dialog is up.
    act(() => zev._zev_dialog_is_up());
    element('window').inert = false;
  }

  start().catch((error) => {
    const line = document.createElement('p');
    line.className = 'detail';
    line.setAttribute('role', 'alert');
    line.textContent = `This browser cannot run Z.E.V: ${error.message || error}`;
    element('window').append(line);
  });
})();
