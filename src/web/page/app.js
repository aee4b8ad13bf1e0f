// The page's dialog: its controls are built from the dialog's description that the module exports,
// and each press goes to the dialog's state compiled into the module, which answers what the page
// must then do itself; the page shows the state it answers and plays the drawings the press made.
// The motion file is read here, in the page, and goes nowhere else.
'use strict';

(() => {
  const element = (id) => document.getElementById(id);
  const dialog = element('dialog');
  const notice = element('notice');
  const fileInput = element('open-file');
  // Holding an arrow repeats its step, after a pause, as the desktop's spin arrows do.
  const REPEAT_DELAY_MS = 400;
  const REPEAT_EVERY_MS = 60;

  let zev = null;
  let description = null;
  let state = null;
  let renderer = null;
  let canvas = null;
  // How each control of the description shows its part of the state, by name.
  const shows = new Map();

  const text = (pointer) => zev.UTF8ToString(pointer);
  // The bytes of the text the module answered last.
  const answerBytes = (pointer) => zev.HEAPU8.slice(pointer, pointer + zev._zev_answer_size());

  // Shows the state the module answers and plays what was drawn since the last call.
  function refresh() {
    state = JSON.parse(text(zev._zev_state()));
    for (const [name, shown] of Object.entries(state.controls)) shows.get(name)?.(shown);
    // The signals are those Save writes.
    element('signals').disabled = !state.controls.save.enabled;
    renderer.play(JSON.parse(text(zev._zev_take_panel_ops())));
  }

  // An action of the dialog: the module's call, then the state it leaves.
  const act = (call) => {
    notice.textContent = '';
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
        download(new Blob([answerBytes(zev._zev_pose_file())], { type: 'application/octet-stream' }),
                 state.poseName);
        break;
      // A page cannot close the browser's tab, and leaves the tone to the browser.
      default:
        break;
    }
  }

  const step = (row, up) => act(() => zev._zev_step(row.id, up ? 1 : 0));

  // The place of a control in dialog units, which the style turns into pixels.
  function place(control, { x, y, width, height }) {
    control.style.setProperty('--x', x);
    control.style.setProperty('--y', y);
    control.style.setProperty('--w', width);
    control.style.setProperty('--h', height);
  }

  // The text with its marked letter ("&Open") underlined; the letter is the control's access key.
  function showText(control, textWithMark) {
    const mark = textWithMark.indexOf('&');
    if (mark < 0 || mark + 1 >= textWithMark.length) {
      control.append(textWithMark);
      return;
    }
    const letter = document.createElement('u');
    letter.textContent = textWithMark[mark + 1];
    control.append(textWithMark.slice(0, mark), letter, textWithMark.slice(mark + 2));
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
    label.append(input, ' ');
    showText(label, row.text);
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
    const root = document.documentElement.style;
    root.setProperty('--unit-x', `${cell.width / unitsPerCell.x}px`);
    root.setProperty('--unit-y', `${cell.height / unitsPerCell.y}px`);
    root.setProperty('--face', cssFontFaces(description.font.face));
    root.setProperty('--font-size', `${description.font.pixels}px`);
    root.setProperty('--background', cssColor(colors.background));
    root.setProperty('--text', cssColor(colors.text));
    root.setProperty('--disabled-text', cssColor(colors.disabledText));
    root.setProperty('--dialog-width', description.width);
    root.setProperty('--dialog-height', description.height);
    root.setProperty('--panel-width', `${description.panel.width}px`);
    root.setProperty('--panel-height', `${description.panel.height}px`);
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
          control = document.createElement('output');
          control.id = row.name;
          control.setAttribute('role', 'status');
          control.setAttribute('aria-live', 'polite');
          shows.set(row.name, () => {
            if (control.value !== state.status) control.value = state.status;
            // The detail says where and why; a pointer shows it as a tooltip, a screen reader
            // with it.
            control.title = state.detail;
            control.setAttribute('aria-description', state.detail);
          });
          break;
        case 'displayPanel':
          control = displayPanel(row);
          break;
        case 'groupFrame':
          control = document.createElement('div');
          control.className = 'frame';
          break;
      }
      if (row.kind !== 'radioButton') radioGroup = null;
      if (row.kind !== 'spin') place(control, row);
      if (row.kind === 'groupFrame') {
        dialog.prepend(control);
      } else {
        dialog.append(control);
      }
    });
  }

  // A number that only its spin changes, named by the label before it; the arrow keys step it.
  function numberField(row, label) {
    const control = document.createElement('div');
    control.id = row.name;
    control.setAttribute('role', 'spinbutton');
    control.setAttribute('aria-labelledby', label.id);
    control.setAttribute('aria-valuemin', row.min);
    control.setAttribute('aria-valuemax', row.max);
    control.addEventListener('keydown', (event) => {
      if (event.key !== 'ArrowUp' && event.key !== 'ArrowDown') return;
      event.preventDefault();
      if (control.getAttribute('aria-disabled') !== 'true') step(row, event.key === 'ArrowUp');
    });
    label.addEventListener('click', () => control.focus());
    shows.set(row.name, (shown) => {
      control.textContent = String(shown.value);
      control.setAttribute('aria-valuenow', shown.value);
      control.setAttribute('aria-disabled', String(!shown.enabled));
      control.tabIndex = shown.enabled ? 0 : -1;
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
      holdToRepeat(arrow, () => {
        step(row, up);
        field.control.focus();
      });
      return arrow;
    });
    control.append(...arrows);
    shows.set(row.name, (shown) => arrows.forEach((arrow) => { arrow.disabled = !shown.enabled; }));
    return control;
  }

  // The panel at the pages' size inside its edge. Only the left button clicks it; from the
  // keyboard, Enter or Space on it.
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
    edge.append(canvas);
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

  function download(blob, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    // The browser has taken the file once the click is handled.
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
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
      canvas.toBlob((png) => download(png, state.pageName), 'image/png');
    });
    renderer.onIdle = () =>
      canvas.setAttribute('aria-label', `Display panel: ${renderer.description()}`);
    // Zooming or moving the window to another screen changes the density.
    let density = window.devicePixelRatio;
    window.addEventListener('resize', () => {
      if (window.devicePixelRatio === density) return;
      density = window.devicePixelRatio;
      renderer.fitToScreen();
    });
  }

  function acceptDrops() {
    const dragging = (on) => dialog.classList.toggle('dropping', on);
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
        notice.textContent = 'Drop one .bvh file to open it.';
        return;
      }
      act(() => zev._zev_begin_open());
      openChosenFile(files[0]);
    });
  }

  async function start() {
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
    notice.textContent = `This browser cannot run Z.E.V: ${error.message || error}`;
  });
})();
