// Kalmenor modern shop: menu button, cart (kept in localStorage, amounts in integer grosze/cents),
// search over szukaj.json and the order form's hand-over to send.php. Every page works without it.
const CART_KEY = 'kalmenor-cart';
const DELIVERY_KEY = 'kalmenor-delivery';

const dataElement = document.getElementById('shop-data');
const shop = dataElement ? JSON.parse(dataElement.textContent) : { lang: 'pl', currency: '', delivery: [] };

document.documentElement.classList.add('js');

export function fold(text) {
  return String(text).toLowerCase().replace(/ł/g, 'l').normalize('NFD').replace(/\p{M}/gu, '');
}

export function money(minor) {
  const abs = Math.abs(minor);
  const separator = shop.lang.startsWith('en') ? '.' : ',';
  return `${minor < 0 ? '-' : ''}${Math.floor(abs / 100)}${separator}${String(abs % 100).padStart(2, '0')}\u00a0${shop.currency}`;
}

function readCart() {
  try {
    const lines = JSON.parse(localStorage.getItem(CART_KEY) ?? '[]');
    return Array.isArray(lines) ? lines.filter((l) => l && typeof l.id === 'string' && Number.isInteger(l.p) && Number.isInteger(l.q) && l.q > 0) : [];
  } catch {
    return [];
  }
}

function writeCart(lines) {
  try {
    localStorage.setItem(CART_KEY, JSON.stringify(lines));
  } catch {
    // Storage may be full or switched off: the cart then lasts for this page only.
  }
  showCount(lines);
}

function chosenDelivery() {
  if (!shop.delivery.length) return -1;
  const stored = Number.parseInt(localStorage.getItem(DELIVERY_KEY) ?? '0', 10);
  return stored >= 0 && stored < shop.delivery.length ? stored : 0;
}

function chooseDelivery(index) {
  try { localStorage.setItem(DELIVERY_KEY, String(index)); } catch { /* see writeCart */ }
}

export function totals(lines, deliveryIndex) {
  const subtotal = lines.reduce((sum, l) => sum + l.p * l.q, 0);
  const delivery = deliveryIndex >= 0 ? shop.delivery[deliveryIndex].p : 0;
  return { subtotal, delivery, total: subtotal + delivery };
}

function lineKey(l) {
  return [l.id, l.r ?? '', l.k ?? '', l.w ?? ''].join('\u0001');
}

export function addLine(line) {
  const lines = readCart();
  const same = lines.find((l) => lineKey(l) === lineKey(line));
  if (same) same.q = Math.min(999, same.q + line.q);
  else lines.push(line);
  writeCart(lines);
  return lines;
}

function showCount(lines = readCart()) {
  const count = lines.reduce((sum, l) => sum + l.q, 0);
  for (const badge of document.querySelectorAll('[data-cart-count]')) badge.textContent = String(count);
}

function element(tag, props = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(props)) {
    if (key === 'class') node.className = value;
    else if (key in node && typeof value !== 'string') node[key] = value;
    else node.setAttribute(key, value);
  }
  for (const child of children) if (child !== null && child !== undefined) node.append(child);
  return node;
}

function variantText(line) {
  return (line.v ?? []).map((v) => `${v[0]}: ${v[1]}`).join(', ');
}

// Menu: collapsed behind its button on narrow screens.
function setUpMenu() {
  const button = document.querySelector('.menu-button');
  const menu = document.getElementById('menu');
  if (!button || !menu) return;
  const narrow = window.matchMedia('(max-width: 760px)');
  const apply = () => {
    button.hidden = !narrow.matches;
    if (narrow.matches && button.getAttribute('aria-expanded') !== 'true') menu.setAttribute('data-collapsed', '');
    else menu.removeAttribute('data-collapsed');
  };
  button.addEventListener('click', () => {
    const open = button.getAttribute('aria-expanded') !== 'true';
    button.setAttribute('aria-expanded', String(open));
    apply();
    if (open) menu.querySelector('a')?.focus();
  });
  narrow.addEventListener('change', apply);
  apply();
}

function lineFromForm(form) {
  const data = new FormData(form);
  const q = Math.max(1, Math.min(999, Number.parseInt(String(data.get('q') ?? '1'), 10) || 1));
  const line = { id: String(data.get('id')), n: form.dataset.name, p: Number.parseInt(form.dataset.price, 10), q,
                 u: `${data.get('id')}.html`, i: form.dataset.image || '', v: [] };
  for (const select of form.querySelectorAll('select')) {
    line[select.name] = select.value;
    line.v.push([select.dataset.label, select.value]);
  }
  return line;
}

function setUpBuyForms() {
  for (const form of document.querySelectorAll('form[data-add-to-cart]')) {
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      if (!form.reportValidity()) return;
      addLine(lineFromForm(form));
      const status = form.querySelector('.status');
      if (status) {
        status.replaceChildren(document.documentElement.lang.startsWith('pl') ? 'Dodano do koszyka. ' : 'Added to the cart. ',
          element('a', { href: 'koszyk.html' }, document.querySelector('.cart-link')?.firstChild?.textContent.trim() ?? 'Cart'));
      }
    });
  }
}

function totalsBlock(container, lines, deliveryIndex) {
  const t = totals(lines, deliveryIndex);
  const row = (label, value, cls) => element('div', cls ? { class: cls } : {}, element('span', {}, label), element('span', {}, money(value)));
  const block = element('div', { class: 'totals' }, row(container.dataset.subtotal, t.subtotal));
  if (deliveryIndex >= 0) block.append(row(`${container.dataset.delivery}: ${shop.delivery[deliveryIndex].n}`, t.delivery));
  block.append(row(container.dataset.total, t.total, 'grand'));
  return block;
}

function renderCart(container) {
  const lines = readCart();
  const checkout = document.querySelector('[data-checkout]');
  if (checkout) checkout.hidden = lines.length === 0;
  if (!lines.length) {
    container.replaceChildren(element('p', {}, container.dataset.empty));
    return;
  }
  const list = element('ul', { class: 'cart-lines' });
  lines.forEach((line, index) => {
    const qty = element('input', { type: 'number', min: '1', max: '999', value: String(line.q), inputmode: 'numeric',
                                   'aria-label': `${container.dataset.quantity}: ${line.n}` });
    qty.addEventListener('change', () => {
      const all = readCart();
      all[index].q = Math.max(1, Math.min(999, Number.parseInt(qty.value, 10) || 1));
      writeCart(all);
      renderCart(container);
    });
    const remove = element('button', { type: 'button', 'aria-label': `${container.dataset.remove}: ${line.n}` }, container.dataset.remove);
    remove.addEventListener('click', () => {
      const all = readCart();
      all.splice(index, 1);
      writeCart(all);
      renderCart(container);
    });
    list.append(element('li', {},
      line.i ? element('img', { class: 'thumb', src: line.i, alt: '', width: '64', height: '48' }) : element('span', { class: 'thumb' }),
      element('div', { class: 'what' }, element('a', { href: line.u }, line.n),
        variantText(line) ? element('span', { class: 'variant' }, variantText(line)) : null,
        element('span', { class: 'variant' }, `${container.dataset.unit}: ${money(line.p)}`)),
      qty,
      element('span', { class: 'num' }, money(line.p * line.q)),
      remove));
  });
  const parts = [list];
  if (shop.delivery.length) {
    const select = element('select', { id: 'cart-delivery' });
    shop.delivery.forEach((d, i) => select.append(element('option', { value: String(i) }, `${d.n} – ${money(d.p)}`)));
    select.value = String(chosenDelivery());
    select.addEventListener('change', () => { chooseDelivery(Number(select.value)); renderCart(container); });
    parts.push(element('div', { class: 'field' }, element('label', { for: 'cart-delivery' }, container.dataset.delivery), select));
  }
  parts.push(totalsBlock(container, lines, chosenDelivery()));
  container.replaceChildren(...parts);
}

// A cart page opened by the add form without the script's help (koszyk.html?id=…&q=…).
async function addFromAddress() {
  const params = new URLSearchParams(location.search);
  const id = params.get('id');
  if (!id) return;
  history.replaceState(null, '', location.pathname);
  const entry = (await loadIndex()).find((e) => e.u === `${id}.html`);
  if (!entry) return;
  const line = { id, n: entry.n, p: entry.p, q: Math.max(1, Math.min(999, Number.parseInt(params.get('q') ?? '1', 10) || 1)),
                 u: entry.u, i: entry.i ?? '', v: [] };
  for (const key of ['r', 'k', 'w']) if (params.has(key)) { line[key] = params.get(key); line.v.push([key, params.get(key)]); }
  addLine(line);
}

function setUpOrder(summary) {
  const form = document.querySelector('form[data-order-form]');
  const select = form?.querySelector('[data-delivery-select]');
  const render = () => {
    const lines = readCart();
    if (!lines.length) {
      summary.replaceChildren(element('p', {}, summary.dataset.empty));
      return;
    }
    const list = element('ul', { class: 'cart-lines summary' });
    for (const l of lines) {
      list.append(element('li', {}, element('div', { class: 'what' }, element('a', { href: l.u }, l.n),
        variantText(l) ? element('span', { class: 'variant' }, variantText(l)) : null),
        element('span', {}, `${l.q} ×`), element('span', { class: 'num' }, money(l.p * l.q))));
    }
    summary.replaceChildren(list, totalsBlock(summary, lines, chosenDelivery()));
  };
  if (select) {
    select.value = String(Math.max(0, chosenDelivery()));
    select.addEventListener('change', () => { chooseDelivery(Number(select.value)); render(); });
  }
  render();
  form?.addEventListener('submit', (event) => {
    const lines = readCart();
    if (!lines.length) {
      event.preventDefault();
      form.querySelector('.status').textContent = summary.dataset.empty;
      return;
    }
    form.elements.KOSZYK.value = JSON.stringify(lines.map((l) => ({ id: l.id, q: l.q, p: l.p, r: l.r, k: l.k, w: l.w })));
    form.elements.ZAMOWIENIE.value = lines.map((l) => `${l.q} x ${l.n}${variantText(l) ? ` (${variantText(l)})` : ''} = ${money(l.p * l.q)}`).join('\n');
  });
}

let indexPromise;
function loadIndex() {
  indexPromise ??= fetch('szukaj.json').then((r) => (r.ok ? r.json() : [])).catch(() => []);
  return indexPromise;
}

export function search(index, query) {
  const words = fold(query).split(/\s+/).filter(Boolean);
  if (!words.length) return [];
  return index.filter((e) => words.every((w) => e.f.includes(w)));
}

async function setUpSearch(results) {
  const query = new URLSearchParams(location.search).get('q') ?? '';
  for (const input of document.querySelectorAll('input[name=q]')) input.value = query;
  if (!query.trim()) return;
  const found = search(await loadIndex(), query);
  const heading = element('h2', {}, `${results.dataset.resultsLabel}: ${found.length}`);
  if (!found.length) {
    results.replaceChildren(heading, element('p', {}, results.dataset.none));
    return;
  }
  const grid = element('ul', { class: 'grid' });
  for (const e of found) {
    const link = element('a', { class: 'card-link', href: e.u },
      e.i ? element('img', { src: e.i, width: String(e.w), height: String(e.h), alt: e.n, loading: 'lazy' })
          : element('span', { class: 'noimg', 'aria-hidden': 'true' }),
      element('h3', {}, e.n));
    const price = element('p', { class: 'price' }, element('span', { class: 'now' }, money(e.p)));
    if (e.o !== undefined) price.append(' ', element('del', {}, money(e.o)));
    grid.append(element('li', { class: 'card' }, link, e.b ? element('span', { class: `badge ${e.s}` }, e.b) : null, price,
      e.l !== undefined ? element('p', { class: 'lowest' }, `${results.dataset.lowest}${money(e.l)}`) : null));
  }
  results.replaceChildren(heading, grid);
}

setUpMenu();
setUpBuyForms();
if (document.querySelector('[data-order-sent]')) writeCart([]);
showCount();
const cart = document.querySelector('[data-cart]');
if (cart) addFromAddress().finally(() => renderCart(cart));
const summary = document.querySelector('[data-order-summary]');
if (summary) setUpOrder(summary);
const results = document.querySelector('[data-search]');
if (results) setUpSearch(results);
