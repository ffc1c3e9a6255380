// The demo shop in headless Chromium: frame set, header buttons, menu, link list, cart, search and
// the order form's hand-over to send.php. Usage: node shop.test.mjs SHOP_FOLDER WORK_FOLDER
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import http from 'node:http';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { openFramedShop, closeFramedShop, cartLines as shownCartLines } from './framedshop.mjs';

const shopFolder = path.resolve(process.argv[2] ?? '');
const workFolder = path.resolve(process.argv[3] ?? os.tmpdir());
const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
                '.jpg': 'image/jpeg', '.gif': 'image/gif', '.png': 'image/png' };

let server;
let base;
let shop;
let page;
const orders = [];
const dialogs = [];

function serve(request, response) {
  const url = new URL(request.url, 'http://localhost');
  if (request.method === 'POST' && url.pathname === '/send.php') {
    let body = '';
    request.on('data', (chunk) => { body += chunk; });
    request.on('end', () => {
      orders.push(new URLSearchParams(body));
      response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
      response.end('<html><body><p id="thanks">Thank you for your order !</p></body></html>');
    });
    return;
  }
  const file = path.join(shopFolder, decodeURIComponent(url.pathname));
  if (!file.startsWith(shopFolder) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
    response.writeHead(404);
    response.end('missing');
    return;
  }
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
  fs.createReadStream(file).pipe(response);
}

const frame = (name) => page.frame({ name });
const bodyText = async () => (await frame('body').textContent('body')) ?? '';

async function showCart() {
  await frame('top').click('img[name=b1]');
  await frame('body').waitForSelector('#kalmenor-generated');
}

const cartLines = () => shownCartLines(page);

before(async () => {
  assert.ok(fs.existsSync(path.join(shopFolder, 'index.html')), `no shop in ${shopFolder}`);
  server = http.createServer(serve);
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  base = `http://127.0.0.1:${server.address().port}`;
  shop = await openFramedShop(base, dialogs, { viewport: { width: 1200, height: 800 } });
  page = shop.page;
});

after(async () => {
  await closeFramedShop(shop);
  server?.close();
});

test('the frame set loads its three frames', async () => {
  assert.ok(frame('top') && frame('menu') && frame('body'));
  assert.match(frame('body').url(), /powitanie\.html$/);
  assert.match(await bodyText(), /Witamy w sklepie Kalmenor Demo/);
  assert.equal(await frame('top').locator('img[name=b1]').count(), 1);
  assert.match(await frame('menu').textContent('body'), /Odzież/);
  assert.equal(await page.title(), 'Kalmenor Demo - sklep pokazowy');
});

test('the header buttons open their pages in the body frame', async () => {
  for (const [button, file, text] of [['b4', 'onas.html', /Przykładowa/], ['b5', 'cennik.html', /Price net/],
                                      ['b6', 'regulamin.html', /Regulamin/], ['b7', 'find.html', /Search product/],
                                      ['b3', 'send.html', /Invoice:/]]) {
    await frame('top').click(`img[name=${button}]`);
    await frame('body').waitForURL(new RegExp(`${file.replace('.', '\\.')}$`));
    assert.match(await bodyText(), text, file);
  }
});

test('the menu opens category pages with product tiles', async () => {
  const links = frame('menu').locator('div.navig a');
  assert.equal(await links.count(), 10);
  const indented = await frame('menu').locator('a', { hasText: 'Poradniki' }).innerHTML();
  assert.match(indented, /^&nbsp;&nbsp;Poradniki/);
  await frame('menu').click('a:has-text("Książki")');
  await frame('body').waitForURL(/ID000000301K\.html$/);
  assert.equal(await frame('body').locator('img[src="img/kupuj.jpg"]').count(), 3);
  assert.match(await bodyText(), /Atlas ptaków/);
  await page.screenshot({ path: path.join(workFolder, 'shop.png') });
});

test('the link list opens its targets in a new window', async () => {
  const select = frame('menu').locator('select[name=ComboBox1]');
  assert.deepEqual(await select.locator('option').evaluateAll((options) => options.map((o) => o.value)),
                   ['Go to', 'https://example.com/kalmenor/', 'cennik.html']);
  const popup = shop.context.waitForEvent('page');
  await select.selectOption({ index: 2 });
  const opened = await popup;
  await opened.waitForLoadState();
  assert.match(opened.url(), /cennik\.html$/);
  await opened.close();
});

test('the cart adds, merges, escapes, counts cents and deletes', async () => {
  await page.evaluate(() => sessionStorage.clear());
  const body = frame('body');
  await body.goto(`${base}/ID000001006P.html`);
  await body.selectOption('select[name=K]', 'niebieski');
  await body.fill('input[name=t]', '2');
  await body.click('img[name=k]');
  await body.fill('input[name=t]', '1');
  await body.click('img[name=k]');  // same product, same colour: quantity 3
  await body.selectOption('select[name=K]', 'biały');
  await body.click('img[name=k]');
  dialogs.length = 0;
  await body.fill('input[name=t]', '0');
  await body.click('img[name=k]');
  await body.fill('input[name=t]', '1.5');
  await body.click('img[name=k]');
  assert.equal(dialogs.filter((m) => /whole quantity/.test(m)).length, 2);

  await page.evaluate(() => {
    e('3', 0.1, 'Cent test', 0, 0, 0);
    e(1, '2.50', '<img src=x onerror="window.hacked=1">', 0, 0, 0);
  });
  await showCart();
  assert.deepEqual(await cartLines(), [
    ['Kubek ceramiczny', 'Color: niebieski', '3', '30.00', '90.00'],
    ['Kubek ceramiczny', 'Color: biały', '1', '30.00', '30.00'],
    ['Cent test', '', '3', '0.10', '0.30'],
    ['<img src=x onerror="window.hacked=1">', '', '1', '2.50', '2.50'],
  ]);
  assert.equal(await body.textContent('b.total'), '122.80');
  assert.equal(await body.evaluate(() => window.hacked), undefined);
  assert.equal(await body.locator('img[src=x]').count(), 0);

  await body.locator('img.delete').nth(3).click();
  await body.locator('img.delete').nth(2).click();
  assert.equal((await cartLines()).length, 2);
  assert.equal(await body.textContent('b.total'), '120.00');
  await page.screenshot({ path: path.join(workFolder, 'cart.png') });

  await body.click('img.back');
  await body.waitForURL(/ID000001006P\.html$/);
});

test('the cart survives reloading the shop within the visit', async () => {
  await page.reload();
  await frame('body').waitForLoadState();
  await showCart();
  assert.equal((await cartLines()).length, 2);
});

test('the search shows matching products at once, case-sensitive', async () => {
  await frame('top').click('img[name=b7]');
  const body = frame('body');
  await body.waitForURL(/find\.html$/);
  await body.fill('input[name=FIND]', 'Klocki');
  await body.click('button:has-text("search")');
  await body.waitForSelector('#kalmenor-generated');
  await page.waitForTimeout(300);  // a submitting form would have reloaded find.html by now
  assert.match(await bodyText(), /Search results for: Klocki/);
  const results = body.locator('a.result');
  assert.deepEqual(await results.allTextContents(), ['Klocki drewniane 50 el.', 'Klocki konstrukcyjne']);
  await results.first().click();
  await body.waitForURL(/ID000001016P\.html$/);

  await frame('top').click('img[name=b7]');
  await body.waitForURL(/find\.html$/);
  await body.fill('input[name=FIND]', 'klocki');
  await body.click('button:has-text("search")');
  await body.waitForSelector('#kalmenor-generated');
  assert.match(await bodyText(), /No product found/);
});

test('the order form checks its fields and sends the cart as the order text', async () => {
  await frame('top').click('img[name=b3]');
  const body = frame('body');
  await body.waitForURL(/send\.html$/);
  assert.equal(await body.locator('table.cart tr.line').count(), 2);  // written by parent.pisz()

  dialogs.length = 0;
  await body.click('input[value="Send order"]');
  assert.match(dialogs.at(-1) ?? '', /required fields: Name, Street, Postcode, City/);
  assert.equal(orders.length, 0);

  await body.fill('input[name=NAZWISKO]', 'Jan Kowalski');
  await body.fill('input[name=ULICA]', 'Długa 5');
  await body.fill('input[name=KOD]', '00-950');
  await body.fill('input[name=MIASTO]', 'Warszawa');
  await body.click('input[value="Send order"]');
  await body.waitForURL(/send\.php$/);
  assert.equal(orders.length, 1);
  // The browser sends the text's line breaks as CR LF, as it does for every form value.
  assert.equal(orders[0].get('ZAMOWIENIE').replace(/\r\n/g, '\n'),
               'Kubek ceramiczny (Color: niebieski), quantity: 3, unit price: 30.00, total: 90.00\n'
               + 'Kubek ceramiczny (Color: biały), quantity: 1, unit price: 30.00, total: 30.00\n'
               + 'Total: 120.00');
  assert.equal(orders[0].get('NAZWISKO'), 'Jan Kowalski');
});

test('an empty cart is not sent', async () => {
  await page.evaluate(() => sessionStorage.clear());
  await frame('top').click('img[name=b3]');
  const body = frame('body');
  await body.waitForURL(/send\.html$/);
  for (const [name, value] of [['NAZWISKO', 'A'], ['ULICA', 'B'], ['KOD', 'C'], ['MIASTO', 'D']])
    await body.fill(`input[name=${name}]`, value);
  dialogs.length = 0;
  await body.click('input[value="Send order"]');
  assert.match(dialogs.at(-1) ?? '', /cart is empty/);
  assert.equal(orders.length, 1);
});

test('the preview opened from disk keeps a working cart and search', async () => {
  // Pages from disk are origins of their own: the framed pages answer their parent.… calls themselves.
  const preview = await shop.context.newPage();
  try {
    const url = (file) => `file://${shopFolder}/${file}`;
    await preview.goto(url('index.html'));
    const framed = (name) => preview.frame({ name });
    await framed('top').click('img[name=b5]');
    await framed('body').waitForURL(/cennik\.html$/);
    await framed('body').goto(url('ID000001018P.html'));
    await framed('body').fill('input[name=t]', '2');
    await framed('body').click('img[name=k]');
    await framed('top').click('img[name=b1]');
    await framed('body').waitForSelector('#kalmenor-generated');
    const lines = await framed('body').$$eval('table.cart tr.line', (rows) => rows.map((r) => r.cells[0].textContent));
    assert.ok(lines.includes('Pluszowy miś'), lines.join());
    await framed('body').click('img.back');
    await framed('body').waitForURL(/ID000001018P\.html$/);

    await framed('top').click('img[name=b7]');
    await framed('body').waitForURL(/find\.html$/);
    await framed('body').fill('input[name=FIND]', 'miś');
    await framed('body').click('button:has-text("search")');
    await framed('body').waitForSelector('#kalmenor-generated');
    assert.deepEqual(await framed('body').locator('a.result').allTextContents(), ['Pluszowy miś']);
  } finally {
    await preview.close();
  }
});
