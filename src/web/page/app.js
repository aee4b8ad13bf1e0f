// The page's controls over the dialog's state compiled into the module: each action calls the
// module, then the page shows the state it answers and plays the drawings the action made. The
// motion file is read here, in the page, and goes nowhere else.
'use strict';

(() => {
  const element = (id) => document.getElementById(id);
  const dialog = element('dialog');
  const statusField = element('status');
  const notice = element('notice');
  const fileInput = element('open-file');
  const canvas = element('panel');
  const spinRows = [...document.querySelectorAll('.spin-row')];
  // Holding an arrow repeats its step, after a pause, as the desktop's spin arrows do.
  const REPEAT_DELAY_MS = 400;
  const REPEAT_EVERY_MS = 60;

  let zev = null;
  let state = null;
  let renderer = null;
  const spins = [];

  const text = (pointer) => zev.UTF8ToString(pointer);
  // The bytes of the text the module answered last.
  const answerBytes = (pointer) => zev.HEAPU8.slice(pointer, pointer + zev._zev_answer_size());

  // Shows the state the module answers and plays what was drawn since the last call.
  function refresh() {
    state = JSON.parse(text(zev._zev_state()));
    for (const [id, enabled] of Object.entries(state.buttons)) element(id).disabled = !enabled;
    element('signals').disabled = !state.buttons.save;
    element('still').checked = state.stillMode;
    element('movie').checked = !state.stillMode;
    element('limit').checked = state.limitOn;
    state.spins.forEach((spin, i) => showSpin(spins[i], spin));
    if (statusField.value !== state.status) statusField.value = state.status;
    // The detail says where and why; a pointer shows it as a tooltip, a screen reader with it.
    statusField.title = state.detail;
    statusField.setAttribute('aria-description', state.detail);
    renderer.play(JSON.parse(text(zev._zev_take_panel_ops())));
  }

  // An action of the dialog: the module's function, then the state it leaves.
  const act = (name, ...args) => {
    notice.textContent = '';
    zev[`_${name}`](...args);
    refresh();
  };

  function showSpin(field, spin) {
    field.textContent = String(spin.value);
    field.setAttribute('aria-valuenow', spin.value);
    field.setAttribute('aria-disabled', String(!spin.enabled));
    field.tabIndex = spin.enabled ? 0 : -1;
    for (const arrow of field.nextElementSibling.children) arrow.disabled = !spin.enabled;
  }

  function buildSpins() {
    state.spins.forEach((spin, i) => {
      const row = spinRows[i];
      const label = document.createElement('label');
      label.id = `spin-label-${i}`;
      label.textContent = spin.label;
      const field = document.createElement('div');
      field.setAttribute('role', 'spinbutton');
      field.setAttribute('aria-labelledby', label.id);
      field.setAttribute('aria-valuemin', spin.min);
      field.setAttribute('aria-valuemax', spin.max);
      field.addEventListener('keydown', (event) => {
        if (event.key !== 'ArrowUp' && event.key !== 'ArrowDown') return;
        event.preventDefault();
        if (field.getAttribute('aria-disabled') !== 'true') {
          act('zev_step_spin', i, event.key === 'ArrowUp' ? 1 : 0);
        }
      });
      label.addEventListener('click', () => field.focus());
      const arrows = document.createElement('div');
      arrows.className = 'arrows';
      for (const up of [true, false]) {
        const arrow = document.createElement('button');
        arrow.type = 'button';
        arrow.tabIndex = -1;
        arrow.setAttribute('aria-label', `${spin.label} ${up ? 'up' : 'down'}`);
        arrow.textContent = up ? '\u25B2' : '\u25BC';
        holdToRepeat(arrow, () => {
          act('zev_step_spin', i, up ? 1 : 0);
          field.focus();
        });
        arrows.append(arrow);
      }
      row.append(label, field, arrows);
      spins.push(field);
    });
  }

  function holdToRepeat(button, step) {
    let timer = null;
    const stop = () => {
      clearTimeout(timer);
      clearInterval(timer);
      timer = null;
    };
    button.addEventListener('pointerdown', (event) => {
      if (event.button !== 0 || button.disabled) return;
      event.preventDefault();
      step();
      stop();
      timer = setTimeout(() => {
        timer = setInterval(() => (button.disabled ? stop() : step()), REPEAT_EVERY_MS);
      }, REPEAT_DELAY_MS);
    });
    for (const end of ['pointerup', 'pointerleave', 'pointercancel']) {
      button.addEventListener(end, stop);
    }
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

  function wireControls() {
    element('open').addEventListener('click', () => {
      act('zev_begin_open');
      fileInput.value = '';
      fileInput.click();
    });
    fileInput.addEventListener('change', () => {
      if (fileInput.files.length > 0) openChosenFile(fileInput.files[0]);
    });
    element('save').addEventListener('click', () => {
      act('zev_begin_save');
      const pose = answerBytes(zev._zev_pose_file());
      download(new Blob([pose], { type: 'application/octet-stream' }), state.poseName);
    });
    element('signals').addEventListener('click', () => {
      const csv = answerBytes(zev._zev_signals_csv());
      download(new Blob([csv], { type: 'text/csv' }), state.signalsName);
    });
    element('picture').addEventListener('click', () => {
      canvas.toBlob((png) => download(png, state.pageName), 'image/png');
    });
    const commands = {
      analyze: 'zev_analyze',
      graph: 'zev_show_graph',
      info: 'zev_show_info',
      clear: 'zev_clear_panel',
      default: 'zev_restore_defaults',
      // Every click counts, also on the mode already selected: the shown results are stale.
      still: 'zev_select_still_mode',
      movie: 'zev_select_movie_mode',
    };
    for (const [id, name] of Object.entries(commands)) {
      element(id).addEventListener('click', () => act(name));
    }
    // Only the left button clicks the panel; from the keyboard, Enter or Space on it.
    canvas.addEventListener('mousedown', (event) => {
      if (event.button === 0) act('zev_panel_clicked');
    });
    canvas.addEventListener('keydown', (event) => {
      if (event.key !== 'Enter' && event.key !== ' ') return;
      event.preventDefault();
      act('zev_panel_clicked');
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
      act('zev_begin_open');
      openChosenFile(files[0]);
    });
  }

  async function start() {
    const about = new Image();
    about.src = ABOUT_PICTURE_ADDRESS;
    await about.decode();
    zev = await createZevModule();
    renderer = new PanelRenderer(canvas, { about });
    state = JSON.parse(text(zev._zev_state()));
    buildSpins();
    wireControls();
    acceptDrops();
    // The about page as soon as the dialog is up.
    act('zev_show_about');
    element('window').inert = false;
    // For scripts that drive the page, such as its tests: where the panel's texts stand.
    window.zevPanel = { textCells: () => renderer.textCells.map((cell) => ({ ...cell })) };
  }

  start().catch((error) => {
    statusField.value = `This browser cannot run Z.E.V: ${error.message || error}`;
  });
})();
