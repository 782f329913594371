// The page of formhost serve: signs the operator in, opens a session for this
// tab and draws its view (windows, menus, data windows, dialogs); every
// mouse and keyboard action goes to the server as one action and the answer
// is the new view. Texts only ever reach the page as text, never as markup.
'use strict';

// The platform's units to pixels: about three and a half units a pixel.
const KX = 0.3;
const KY = 0.3;
const px = (units, k) => Math.max(0, Math.round((Number(units) || 0) * k)) + 'px';

const state = {
  csrf: '',
  tab: '',
  version: 0,
  view: { windows: [], messagebox: null },
  listWindows: [],
  order: [],        // window classes, front last (the page's own stacking)
  events: null,
  queue: Promise.resolve(),
  pending: 0,
  busyTimer: null,
  busySince: 0,
  rowsRead: 0,     // rows the running action has read, from the event stream
};

const $ = (id) => document.getElementById(id);

function el(tag, cls, text) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text !== undefined && text !== null) e.textContent = String(text);
  return e;
}

// "增加(&A)" -> text with the letter underlined; answers the letter too.
function accelerated(text) {
  const frag = document.createDocumentFragment();
  let key = '';
  const s = String(text || '');
  let plain = '';
  for (let i = 0; i < s.length; i++) {
    if (s[i] === '&' && i + 1 < s.length) {
      if (s[i + 1] === '&') { plain += '&'; i++; continue; }
      frag.append(plain);
      plain = '';
      key = key || s[i + 1].toLowerCase();
      frag.append(el('u', null, s[i + 1]));
      i++;
      continue;
    }
    plain += s[i];
  }
  frag.append(plain);
  return { frag, key };
}

function plainText(text) { return String(text || '').replace(/&(.)/g, '$1'); }

// ---- talking to the server ----

async function api(method, path, body) {
  const headers = {};
  const init = { method, headers, credentials: 'same-origin' };
  if (method !== 'GET') {
    headers['Content-Type'] = 'application/json';
    headers['X-CSRF-Token'] = state.csrf;
    init.body = JSON.stringify(body || {});
  }
  const res = await fetch(path, init);
  let data = {};
  try { data = await res.json(); } catch (e) { data = { error: res.statusText }; }
  if (res.status === 401 && path !== '/api/login') {
    showSignIn(data.error || '请重新登录');
    throw new Error(data.error || 'not signed in');
  }
  if (!res.ok) {
    const err = new Error(data.error || res.statusText);
    err.status = res.status;
    throw err;
  }
  return data;
}

// While an action runs the page says so, with the seconds it has taken
// once it takes long (a long retrieval).
function setBusy(on) {
  document.body.classList.toggle('busy', on);
  const busy = $('busy');
  if (!on) {
    clearInterval(state.busyTimer);
    state.busyTimer = null;
    state.rowsRead = 0;
    busy.hidden = true;
    return;
  }
  if (state.busyTimer) return;
  state.busySince = Date.now();
  busy.textContent = '处理中…';
  busy.hidden = false;
  state.busyTimer = setInterval(showBusy, 500);
}

// The busy mark: the seconds a long action has taken, and the rows its
// retrievals have read so far when the server reports them.
function showBusy() {
  if (!state.busyTimer) return;
  const s = Math.floor((Date.now() - state.busySince) / 1000);
  let text = '处理中…';
  if (s >= 1) text += ` ${s} 秒`;
  if (state.rowsRead > 0) text += `，已读取 ${state.rowsRead} 行`;
  $('busy').textContent = text;
}

function say(text, refused) {
  const s = $('status');
  s.textContent = text || '';
  s.classList.toggle('refused', !!refused);
}

// Actions go one after the other, in the order the operator made them.
function act(action) {
  state.pending++;
  setBusy(true);
  state.queue = state.queue.then(async () => {
    try {
      const r = await api('POST', `/api/tabs/${state.tab}/actions?since=${state.version}`, action);
      await received(r);
      if (r.refused && r.refused.length) say(r.refused.join('\n'), true);
      else say('');
    } catch (e) {
      if (e.status) say(e.message, true);
      if (e.status && state.tab) {
        // Draw what the session holds, so a refused value shows the old one.
        try { const s = await api('GET', `/api/tabs/${state.tab}`); apply(s.version, s.view, true); } catch (x) { /* shown */ }
      }
    } finally {
      state.pending--;
      if (state.pending === 0) setBusy(false);
    }
  });
  return state.queue;
}

// The value `delta` makes of `old` (the server's encoding: "s" the same,
// "v" a new value, "o"/"d" the members changed and gone, "a" the items).
function patch(old, d) {
  if (d.s) return old;
  if ('v' in d) return d.v;
  if (d.o) {
    if (!old || typeof old !== 'object' || Array.isArray(old)) throw new Error('view out of step');
    const r = Object.assign({}, old);
    for (const k of d.d || []) delete r[k];
    for (const k of Object.keys(d.o)) r[k] = patch(old[k], d.o[k]);
    return r;
  }
  if (d.a) {
    if (!Array.isArray(old)) throw new Error('view out of step');
    return d.a.map((x, i) => patch(old[i], x));
  }
  throw new Error('unknown change');
}

function merge(base, delta) {
  try { return patch(base, delta); } catch (e) { return null; }
}

// An answer or event with a new version: the whole view, or what changed
// since the version it names. A page that missed a version reads it all.
async function received(r) {
  if (r.view) return apply(r.version, r.view);
  if (!r.delta || r.version <= state.version) return;
  const view = r.base === state.version ? merge(state.view, r.delta) : null;
  if (view) return apply(r.version, view);
  const s = await api('GET', `/api/tabs/${state.tab}`);
  apply(s.version, s.view);
}

function apply(version, view, force) {
  if (!force && version <= state.version) return;
  state.version = version;
  state.view = view;
  render();
}

function listen() {
  if (state.events) state.events.close();
  const es = new EventSource(`/api/tabs/${state.tab}/events`);
  state.events = es;
  es.addEventListener('view', (m) => {
    const e = JSON.parse(m.data);
    if (e.busy) setBusy(true);
    else {
      if (state.pending === 0) setBusy(false);
      received(e).catch(() => {});
    }
  });
  es.addEventListener('progress', (m) => {
    const e = JSON.parse(m.data);
    if (e.version !== state.version) return;
    setBusy(true);
    state.rowsRead = Number(e.rows) || 0;
    showBusy();
  });
  es.addEventListener('end', () => {
    es.close();
    api('GET', '/api/me').then(() => say('会话已结束，请刷新页面', true)).catch(() => {});
  });
}

// ---- signing in ----

function showSignIn(message) {
  if (state.events) state.events.close();
  state.tab = '';
  $('app').hidden = true;
  $('overlay').hidden = true;
  $('signin').hidden = false;
  $('signin-error').textContent = message || '';
  $('signin-password').value = '';
  $('signin-name').focus();
}

async function start(me) {
  state.csrf = me.csrf;
  $('user').textContent = me.name;
  $('signin').hidden = true;
  $('app').hidden = false;
  const t = await api('POST', '/api/tabs', {});
  state.tab = t.tab;
  state.listWindows = t.windows || [];
  state.version = 0;
  apply(t.version, t.view);
  listen();
}

async function signIn(ev) {
  ev.preventDefault();
  const button = $('signin-button');
  button.disabled = true;
  $('signin-error').textContent = '';
  try {
    const me = await api('POST', '/api/login', {
      name: $('signin-name').value, password: $('signin-password').value });
    await start(me);
  } catch (e) {
    $('signin-error').textContent = e.message;
  } finally {
    button.disabled = false;
  }
}

async function signOut() {
  try { await api('POST', '/api/logout', {}); } catch (e) { /* signed out anyway */ }
  showSignIn('已退出');
}

// ---- drawing the view ----

function windowsInOrder() {
  const ws = state.view.windows || [];
  const names = ws.map((w) => w.class);
  state.order = state.order.filter((n) => names.includes(n));
  for (const n of names) if (!state.order.includes(n)) state.order.push(n);
  return state.order.map((n) => ws.find((w) => w.class === n));
}

// The window the keyboard and the menu bar work on: a dialog first.
function activeWindow() {
  const ws = state.view.windows || [];
  const modal = ws.filter((w) => w.modal);
  if (modal.length) return modal[modal.length - 1];
  const order = windowsInOrder();
  return order.length ? order[order.length - 1] : null;
}

function render() {
  const focus = rememberFocus();
  closeMenus();
  const desk = $('desk');
  desk.replaceChildren();
  const overlay = $('overlay');
  overlay.replaceChildren();
  const active = activeWindow();
  const ordered = windowsInOrder();
  if (!ordered.length) desk.append(launcher());
  ordered.forEach((w, i) => {
    if (w.modal) return;
    const node = drawWindow(w, w === active);
    node.style.left = (12 + i * 26) + 'px';
    node.style.top = (10 + i * 26) + 'px';
    node.style.zIndex = String(10 + i);
    desk.append(node);
  });
  const modal = (state.view.windows || []).filter((w) => w.modal);
  const box = state.view.messagebox;
  if (modal.length || box) {
    overlay.hidden = false;
    modal.forEach((w, i) => {
      const layer = el('div', 'dialog-layer');
      const node = drawWindow(w, !box && i === modal.length - 1);
      centre(node, w);
      layer.append(node);
      overlay.append(layer);
    });
    if (box) overlay.append(messageBox(box));
  } else {
    overlay.hidden = true;
  }
  drawMenubar(active);
  // A database open for viewing only refuses every change: say so up front.
  $('readonly').hidden = !state.view.readonly;
  restoreFocus(focus);
  if (state.followFocus && active && active.focus) {
    state.followFocus = false;
    focusControl(active);
  }
}

// Puts the browser's focus on the control the session gave it: a data
// window's first field of the current row, or the control's button.
function focusControl(w) {
  const scope = document.querySelector(`[data-window="${CSS.escape(w.class)}"]`);
  if (!scope) return;
  const name = CSS.escape(w.focus);
  const target = scope.querySelector(`[data-dw="${name}"] :is(input, select)`) ||
    scope.querySelector(`[data-accel="${name}"]`) ||
    scope.querySelector(`[data-control="${name}"] :is(button, input, select)`) ||
    scope.querySelector(`[data-dw="${name}"]`);
  if (!target) return;
  if (target.classList.contains('datawindow')) target.tabIndex = -1;  // an empty one
  target.focus();
}

function centre(node, w) {
  const width = (Number(w.width) || 1600) * KX;
  const height = (Number(w.height) || 1000) * KY + 24;
  node.style.left = Math.max(8, (window.innerWidth - width) / 2) + 'px';
  node.style.top = Math.max(8, (window.innerHeight - height) / 2) + 'px';
}

function launcher() {
  const box = el('div', 'launcher');
  box.append(el('p', null, '打开一个窗口（或用菜单“窗口”）：'));
  const ul = el('ul');
  for (const name of state.listWindows) {
    const li = el('li');
    const b = el('button', null, name);
    b.type = 'button';
    b.addEventListener('click', () => act({ kind: 'open', window: name }));
    li.append(b);
    ul.append(li);
  }
  box.append(ul);
  return box;
}

function drawWindow(w, active) {
  const node = el('section', 'window' + (active ? ' active' : '') + (w.modal ? ' modal' : ''));
  node.dataset.window = w.class;
  node.setAttribute('aria-label', w.title || w.class);
  const bar = el('div', 'titlebar');
  bar.append(el('span', 'title', w.title || w.class));
  const close = el('button', 'close', '×');
  close.type = 'button';
  close.title = '关闭';
  close.addEventListener('click', () => act({ kind: 'close', window: w.class }));
  bar.append(close);
  node.append(bar);
  const body = el('div', 'body');
  body.style.width = px(w.width, KX);
  body.style.height = px(w.height, KY);
  drawControls(body, w, controlTree(w.controls || []), 0, 0);
  node.append(body);
  if (!w.modal) {
    node.addEventListener('mousedown', () => {
      if (state.order[state.order.length - 1] !== w.class) {
        state.order = state.order.filter((n) => n !== w.class).concat([w.class]);
        setTimeout(render, 0);
      }
    });
  }
  const grip = el('div', 'resizer');
  grip.addEventListener('mousedown', (ev) => startResize(ev, w, body));
  node.append(grip);
  return node;
}

const isPage = (c) => c.kind === 'userpage' || (c.kind === 'userobject' && /^tabpage/.test(c.name));
const fitsIn = (c, p) => (c.x || 0) + (c.width || 0) <= (p.width || 0) + 1 &&
  (c.y || 0) + (c.height || 0) <= (p.height || 0) + 1;

// The controls as a tree. A view that nests them already is taken as it is;
// a flat one puts each tab control's pages under it, and under a page the
// controls after it that fit inside it.
function controlTree(controls) {
  if (controls.some((c) => Array.isArray(c.controls))) return controls;
  if (controls.some((c) => typeof c.parent === 'string' && c.parent)) {
    // Each control names the control it sits in ("" for the window).
    const byName = new Map();
    const roots = [];
    for (const c of controls) byName.set(c.name, Object.assign({}, c, { controls: [] }));
    for (const c of controls) {
      const node = byName.get(c.name);
      const parent = c.parent ? byName.get(c.parent) : null;
      (parent ? parent.controls : roots).push(node);
    }
    return roots;
  }
  const out = [];
  for (let i = 0; i < controls.length; i++) {
    const c = Object.assign({}, controls[i]);
    if (c.kind === 'tab') {
      c.controls = [];
      while (i + 1 < controls.length && isPage(controls[i + 1])) {
        const page = Object.assign({}, controls[++i], { controls: [] });
        while (i + 1 < controls.length && !isPage(controls[i + 1]) && controls[i + 1].kind !== 'tab' &&
               fitsIn(controls[i + 1], page)) {
          page.controls.push(controls[++i]);
        }
        c.controls.push(page);
      }
    }
    out.push(c);
  }
  return out;
}

function drawControls(parent, w, controls) {
  for (const c of controls) {
    if (c.visible === false) continue;
    const node = drawControl(w, c);
    if (!node) continue;
    node.classList.add('ctl');
    node.dataset.control = c.name;
    node.style.left = px(c.x, KX);
    node.style.top = px(c.y, KY);
    node.style.width = px(c.width, KX);
    node.style.height = px(c.height, KY);
    parent.append(node);
  }
}

function drawControl(w, c) {
  switch (c.kind) {
    case 'commandbutton': return button(w, c, 'commandbutton');
    case 'userobject':
      if (c.text && !(c.controls && c.controls.length)) return button(w, c, 'uobutton');
      return container(w, c);
    case 'userpage': return container(w, c);
    case 'checkbox': {
      const label = el('label', 'checkbox');
      const box = el('input');
      box.type = 'checkbox';
      box.checked = !!c.checked;
      box.disabled = c.enabled === false;
      box.addEventListener('click', (ev) => { ev.preventDefault(); act({ kind: 'click', window: w.class, control: c.name }); });
      const a = accelerated(c.text);
      label.append(box, a.frag);
      if (a.key) label.dataset.key = a.key;
      label.dataset.accel = c.name;
      return label;
    }
    case 'statictext': {
      if (c.properties && 'il_barcolor' in c.properties) return splitBar(w, c);
      return el('div', 'statictext', plainText(c.text));
    }
    case 'singlelineedit': {
      const d = el('div', 'singlelineedit');
      const input = el('input');
      input.value = c.text || '';
      input.readOnly = true;
      d.append(input);
      return d;
    }
    case 'line': return el('div', 'line');
    case 'tab': return tabControl(w, c);
    case 'datawindow': return dataWindow(w, c);
    default: return null;
  }
}

function container(w, c) {
  const d = el('div', c.kind);
  drawControls(d, w, c.controls || []);
  return d;
}

function button(w, c, cls) {
  const d = el('div', cls);
  const b = el('button');
  b.type = 'button';
  const a = accelerated(c.text);
  b.append(a.frag);
  b.disabled = c.enabled === false;
  if (a.key) b.dataset.key = a.key;
  b.dataset.accel = c.name;
  b.addEventListener('click', () => act({ kind: 'click', window: w.class, control: c.name }));
  d.append(b);
  return d;
}

function tabControl(w, c) {
  const d = el('div', 'tab');
  const pages = (c.controls || []).filter((p) => p.visible !== false);
  const all = c.controls || [];
  const fromView = all[Number((c.properties || {}).selectedtab || 1) - 1];
  const chosen = pages.includes(fromView) ? fromView : pages[0];
  const strip = el('div', 'tabstrip');
  for (const p of pages) {
    const b = el('button', p === chosen ? 'selected' : '', plainText(p.text) || p.name);
    b.type = 'button';
    b.dataset.page = p.name;
    // The session selects the page (and its scripts hear of the click).
    b.addEventListener('click', () => act({ kind: 'click', window: w.class, control: p.name }));
    strip.append(b);
  }
  d.append(strip);
  if (chosen) {
    const page = el('div', 'tabpage');
    drawControls(page, w, chosen.controls || []);
    d.append(page);
  }
  return d;
}

function splitBar(w, c) {
  const horizontal = (c.width || 0) >= (c.height || 0);
  const d = el('div', 'splitbar ' + (horizontal ? 'horizontal' : 'vertical'));
  d.title = '拖动';
  d.addEventListener('mousedown', (ev) => {
    ev.preventDefault();
    const start = horizontal ? ev.clientY : ev.clientX;
    const origin = horizontal ? c.y : c.x;
    d.classList.add('dragging');
    const move = (m) => {
      const delta = (horizontal ? m.clientY : m.clientX) - start;
      if (horizontal) d.style.top = px(origin + delta / KY, 1 * KY);
      else d.style.left = px(origin + delta / KX, KX);
    };
    const up = (m) => {
      document.removeEventListener('mousemove', move);
      document.removeEventListener('mouseup', up);
      const delta = (horizontal ? m.clientY : m.clientX) - start;
      const k = horizontal ? KY : KX;
      const position = Math.max(0, Math.round(origin + delta / k));
      if (position !== origin) act({ kind: 'drag', window: w.class, control: c.name, position });
      else render();
    };
    document.addEventListener('mousemove', move);
    document.addEventListener('mouseup', up);
  });
  return d;
}

function startResize(ev, w, body) {
  ev.preventDefault();
  ev.stopPropagation();
  const sx = ev.clientX, sy = ev.clientY;
  const w0 = body.offsetWidth, h0 = body.offsetHeight;
  const move = (m) => {
    body.style.width = Math.max(80, w0 + m.clientX - sx) + 'px';
    body.style.height = Math.max(40, h0 + m.clientY - sy) + 'px';
  };
  const up = () => {
    document.removeEventListener('mousemove', move);
    document.removeEventListener('mouseup', up);
    act({ kind: 'resize', window: w.class,
          width: Math.max(1, Math.round(body.offsetWidth / KX)),
          height: Math.max(1, Math.round(body.offsetHeight / KY)) });
  };
  document.addEventListener('mousemove', move);
  document.addEventListener('mouseup', up);
}

// PowerBuilder colours are 0xBBGGRR; larger numbers are the system's.
function colour(n) {
  if (n === '' || n === null || n === undefined) return '';
  n = Number(n);
  if (!Number.isFinite(n) || n < 0 || n > 0xffffff) return '';
  return `rgb(${n & 255}, ${(n >> 8) & 255}, ${(n >> 16) & 255})`;
}

const shownColumns = (c) => (c.columns || []).filter((col) => col.visible && col.width > 0);

function dataWindow(w, c) {
  const d = el('div', 'datawindow');
  d.dataset.dw = c.name;
  if (w.focus === c.name) d.classList.add('focused');
  const bg = colour(c.color);
  if (bg) d.style.background = bg;
  if (!(c.columns || []).length) {
    if (c.dataobject) d.append(el('div', 'dwempty', ''));
    return d;
  }
  if (Number(c.processing) === 1) d.append(grid(w, c));
  else d.append(form(w, c));
  return d;
}

// A drop-down column: a select of its choices; the view shows the text of
// the stored value, the session takes the value.
function cellSelect(w, c, row, col, shown) {
  const select = el('select');
  select.dataset.key = `${w.class}/${c.name}/${row}/${col.name}`;
  select.setAttribute('aria-label', col.header || col.name);
  let found = false;
  for (const o of col.options) {
    const option = el('option', null, o.label);
    option.value = o.value;
    if (!found && (o.label === shown || o.value === shown)) {
      option.selected = true;
      found = true;
    }
    select.append(option);
  }
  if (!found) {
    const option = el('option', null, shown);
    option.value = shown;
    option.selected = true;
    select.prepend(option);
  }
  select.addEventListener('change', () =>
    act({ kind: 'type', window: w.class, control: c.name, row, column: col.name, text: select.value }));
  return select;
}

function cellInput(w, c, row, col, value) {
  if (col.options && col.options.length) return cellSelect(w, c, row, col, value);
  const input = el('input');
  input.value = value;
  input.dataset.key = `${w.class}/${c.name}/${row}/${col.name}`;
  input.setAttribute('aria-label', col.header || col.name);
  input.dataset.original = value;
  const commit = () => {
    if (input.value === input.dataset.original) return false;
    input.dataset.original = input.value;  // sent once
    act({ kind: 'type', window: w.class, control: c.name, row, column: col.name, text: input.value });
    return true;
  };
  input.addEventListener('change', commit);
  input.addEventListener('keydown', (ev) => {
    if (ev.key === 'Enter') {
      ev.preventDefault();
      commit();
      act({ kind: 'enter', window: w.class, control: c.name });
    } else if (ev.key === 'ArrowDown' || ev.key === 'ArrowUp') {
      ev.preventDefault();
      commit();
      const next = row + (ev.key === 'ArrowDown' ? 1 : -1);
      if (next >= 1 && next <= (c.rows || []).length) {
        state.focusNext = `${w.class}/${c.name}/${next}/${col.name}`;
        act({ kind: 'row', window: w.class, control: c.name, row: next });
      }
    } else if (ev.key === 'Escape') {
      input.value = input.dataset.original;
    }
  });
  return input;
}

function grid(w, c) {
  const table = el('table', 'grid');
  const cols = shownColumns(c);
  const colgroup = el('colgroup');
  colgroup.append(el('col'));
  for (const col of cols) {
    const e = el('col');
    e.style.width = px(col.width, KX);
    colgroup.append(e);
  }
  table.append(colgroup);
  const head = el('thead');
  const hr = el('tr');
  hr.append(el('th', 'rownum', ''));
  for (const col of cols) {
    const th = el('th', null, col.header || col.name);
    th.title = col.header || col.name;
    th.dataset.column = col.name;
    th.addEventListener('click', () =>
      act({ kind: 'click', window: w.class, control: c.name, column: col.name + '_t' }));
    hr.append(th);
  }
  head.append(hr);
  table.append(head);
  const body = el('tbody');
  const rows = c.rows || [];
  const colours = c.rowcolors || [];
  rows.forEach((r, i) => {
    const n = i + 1;
    const tr = el('tr');
    if (r.selected) tr.classList.add('selected');
    const current = n === Number(c.currentrow);
    if (current) tr.classList.add('current');
    const rc = colour(colours[i]);
    if (rc && !current) tr.style.background = rc;
    tr.dataset.row = String(n);
    tr.append(el('td', 'rownum', n));
    for (const col of cols) {
      const td = el('td');
      const value = (r.values || {})[col.name] ?? '';
      if (current) {
        td.append(cellInput(w, c, n, col, value));
      } else {
        td.textContent = value;
        td.title = value;
        td.addEventListener('click', () => {
          state.focusNext = `${w.class}/${c.name}/${n}/${col.name}`;
          act({ kind: 'row', window: w.class, control: c.name, row: n });
        });
        td.addEventListener('dblclick', () => act({ kind: 'enter', window: w.class, control: c.name }));
      }
      tr.append(td);
    }
    body.append(tr);
  });
  table.append(body);
  return table;
}

function form(w, c) {
  const f = el('div', 'form');
  const rows = c.rows || [];
  const n = Number(c.currentrow) || (rows.length ? 1 : 0);
  const r = rows[n - 1];
  if (!r) {
    f.append(el('div', 'dwempty', ''));
    return f;
  }
  const cols = shownColumns(c);
  const placed = cols.some((col) => col.x || col.y);
  cols.forEach((col, i) => {
    const value = (r.values || {})[col.name] ?? '';
    const label = el('div', 'label', col.header || '');
    const field = el('div', 'field');
    field.append(cellInput(w, c, n, col, value));
    if (placed) {
      label.style.left = px(col.header_x, KX);
      label.style.top = px(col.header_y || col.y, KY);
      label.style.width = px(col.header_width || 300, KX);
      field.style.left = px(col.x, KX);
      field.style.top = px(col.y, KY);
      field.style.width = px(col.width, KX);
      field.style.height = px(col.height || 64, KY);
    } else {
      label.style.left = '0px';
      label.style.top = (4 + i * 26) + 'px';
      label.style.width = '100px';
      field.style.left = '104px';
      field.style.top = (2 + i * 26) + 'px';
      field.style.width = px(Math.max(col.width, 300), KX);
      field.style.height = '22px';
    }
    if (col.header) f.append(label);
    f.append(field);
  });
  return f;
}

// ---- the message box ----

const BUTTONS = { OK: '确定', Cancel: '取消', Yes: '是(&Y)', No: '否(&N)', Abort: '中止(&A)', Retry: '重试(&R)', Ignore: '忽略(&I)' };
const ICONS = { information: 'ℹ️', stopsign: '⛔', exclamation: '⚠️', question: '❓', none: '' };

function messageBox(box) {
  const layer = el('div', 'dialog-layer');
  const node = el('section', 'window active messagebox');
  node.setAttribute('role', 'alertdialog');
  const bar = el('div', 'titlebar');
  bar.append(el('span', 'title', box.title || ''));
  node.append(bar);
  const content = el('div', 'content');
  const icon = el('div', 'icon', ICONS[box.icon] || '');
  icon.dataset.icon = box.icon;
  content.append(icon, el('div', 'text', box.text));
  node.append(content);
  const buttons = el('div', 'buttons');
  (box.buttons || []).forEach((label, i) => {
    const b = el('button');
    b.type = 'button';
    const a = accelerated(BUTTONS[label] || label);
    b.append(a.frag);
    b.dataset.answer = label;
    if (a.key) b.dataset.key = a.key;
    if (i + 1 === Number(box.default)) b.dataset.default = '1';
    b.addEventListener('click', () => act({ kind: 'answer', button: i + 1 }));
    buttons.append(b);
  });
  node.append(buttons);
  layer.append(node);
  node.style.position = 'absolute';
  node.style.left = '50%';
  node.style.top = '35%';
  node.style.transform = 'translate(-50%, -50%)';
  setTimeout(() => {
    const d = buttons.querySelector('[data-default]') || buttons.querySelector('button');
    if (d) d.focus();
  }, 0);
  return layer;
}

// ---- the menu bar ----

function closeMenus() {
  document.querySelectorAll('.menu.open').forEach((m) => m.classList.remove('open'));
}

function drawMenubar(w) {
  const bar = $('menubar');
  bar.replaceChildren();
  let items = w && !w.modal ? (w.menu || []) : [];
  const top = [];
  for (const item of items) {
    if (item.visible === false) continue;
    if (item.level === 1) top.push({ item, children: [] });
    else if (top.length) top[top.length - 1].children.push(item);
  }
  if (!w) {
    // No window open: the library's list windows, as the main menu's 窗口.
    top.push({ item: { name: 'm_windows', text: '窗口(&W)', level: 1 },
               children: state.listWindows.map((n) => ({ name: n, text: n, open: n })) });
  }
  for (const { item, children } of top) {
    const menu = el('div', 'menu');
    const b = el('button');
    b.type = 'button';
    const a = accelerated(item.text);
    b.append(a.frag);
    b.disabled = item.enabled === false;
    if (a.key) b.dataset.key = a.key;
    b.dataset.menu = item.name;
    menu.append(b);
    if (children.length) {
      const drop = el('div', 'dropdown');
      drop.setAttribute('role', 'menu');
      for (const child of children) {
        const cb = el('button', null, plainText(child.text));
        cb.type = 'button';
        cb.dataset.menu = child.name;
        cb.disabled = child.enabled === false;
        cb.addEventListener('click', () => {
          closeMenus();
          if (child.open) act({ kind: 'open', window: child.open });
          else act({ kind: 'click', window: w.class, control: child.name });
        });
        drop.append(cb);
      }
      menu.append(drop);
      b.addEventListener('click', (ev) => {
        ev.stopPropagation();
        const open = menu.classList.contains('open');
        closeMenus();
        if (!open) {
          menu.classList.add('open');
          const first = drop.querySelector('button');
          if (first) first.focus();
        }
      });
    } else {
      b.addEventListener('click', () => act({ kind: 'click', window: w.class, control: item.name }));
    }
    bar.append(menu);
  }
}

// ---- keyboard ----

function rememberFocus() {
  const a = document.activeElement;
  if (state.focusNext) {
    const key = state.focusNext;
    state.focusNext = null;
    return { key };
  }
  if (a && a.dataset && a.dataset.key && (a.tagName === 'INPUT' || a.tagName === 'SELECT')) {
    return { key: a.dataset.key, start: a.selectionStart, end: a.selectionEnd };
  }
  return null;
}

function restoreFocus(f) {
  if (!f) return;
  const e = document.querySelector(`[data-key="${CSS.escape(f.key)}"]:is(input, select)`);
  if (!e) return;
  e.focus();
  if (e.tagName === 'SELECT') return;
  if (f.start !== undefined) {
    try { e.setSelectionRange(f.start, f.end); } catch (x) { /* not a text input */ }
  } else {
    e.select();
  }
}

function onKey(ev) {
  if ($('app').hidden) return;
  const box = state.view.messagebox;
  if (ev.key === 'Escape' && box) {
    ev.preventDefault();
    const labels = box.buttons || [];
    let i = labels.indexOf('Cancel');
    if (i < 0) i = labels.indexOf('No');
    if (i >= 0) act({ kind: 'answer', button: i + 1 });
    return;
  }
  if (ev.key === 'Escape') closeMenus();
  // Outside a grid's cells Tab and Shift+Tab go to the session, which moves
  // the focus in the window's tab order; the page follows it.
  if (ev.key === 'Tab' && !ev.altKey && !ev.ctrlKey && !box) {
    const a = document.activeElement;
    const inCell = a && a.dataset && a.dataset.key && (a.tagName === 'INPUT' || a.tagName === 'SELECT');
    const w = activeWindow();
    if (!inCell && w) {
      ev.preventDefault();
      state.followFocus = true;
      act({ kind: ev.shiftKey ? 'backtab' : 'tab', window: w.class });
      return;
    }
  }
  if (ev.altKey && !ev.ctrlKey && ev.key.length === 1) {
    const key = ev.key.toLowerCase();
    // The dialog on top first, then the active window's buttons, then its menu.
    const scope = box || $('overlay').hidden === false ? $('overlay') : document;
    const scopes = scope === document ? [
      document.querySelector('.window.active'), $('menubar')] : [scope];
    for (const s of scopes) {
      if (!s) continue;
      const hit = s.querySelector(`[data-key="${CSS.escape(key)}"]:not(:disabled)`);
      if (hit) {
        ev.preventDefault();
        // A value being typed goes to the session before the button acts.
        const typing = document.activeElement;
        if (typing && (typing.tagName === 'INPUT' || typing.tagName === 'SELECT')) typing.blur();
        if (hit.tagName === 'LABEL') hit.querySelector('input').click();
        else hit.click();
        return;
      }
    }
  }
}

document.addEventListener('DOMContentLoaded', () => {
  $('signin-form').addEventListener('submit', signIn);
  $('signout').addEventListener('click', signOut);
  document.addEventListener('keydown', onKey);
  document.addEventListener('click', (ev) => { if (!ev.target.closest('.menu')) closeMenus(); });
  api('GET', '/api/me').then(start).catch(() => showSignIn(''));
  // A closed or reloaded page ends its session at once (keepalive lets the
  // request outlive the page); otherwise it would wait for the idle time.
  window.addEventListener('pagehide', () => {
    if (!state.tab) return;
    fetch(`/api/tabs/${state.tab}/close`, {
      method: 'POST', keepalive: true, credentials: 'same-origin',
      headers: { 'Content-Type': 'application/json', 'X-CSRF-Token': state.csrf }, body: '{}' });
  });
});
