// The order road on a shop served by PHP's built-in server: "Add to cart" on a tile and on a detail page
// (with a quote in the product's name and every variant chosen), the search, the order form posted to
// the real send.php, and the mail it hands to sendmail (captured into a file).
// Usage: node order.test.mjs BASE_URL MAIL_FILE WORK_FOLDER
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { openFramedShop, closeFramedShop, cartLines as shownCartLines } from './framedshop.mjs';

const base = process.argv[2];
const mailFile = process.argv[3];
const workFolder = path.resolve(process.argv[4] ?? os.tmpdir());
const quoted = 'Kubek "Mały" z\'uchem';

let shop;
let page;
const dialogs = [];

const frame = (name) => page.frame({ name });
const mails = () => (fs.existsSync(mailFile) ? fs.readFileSync(mailFile, 'utf8') : '');
const phpComplaint = /(Warning|Notice|Deprecated|Fatal error|Parse error)/;

async function cartLines() {
  await frame('top').click('img[name=b1]');
  await frame('body').waitForSelector('#kalmenor-generated');
  return shownCartLines(page);
}

before(async () => {
  shop = await openFramedShop(base, dialogs);
  page = shop.page;
});

after(async () => {
  await closeFramedShop(shop);
});

test('a tile adds its product with the chosen size, colour, dimension and quantity', async () => {
  const body = frame('body');
  await body.goto(`${base}/ID000000901K.html`);
  assert.match(await body.textContent('body'), /Kubek "Mały" z'uchem/);
  await body.selectOption('select[name^=R]', 'M');
  await body.selectOption('select[name^=K]', 'czerwony');
  await body.selectOption('select[name^=W]', '10x10');
  await body.fill('input[name^=t]', '2');
  await body.click('img[name^=k]');
  // The second product's colour list is switched on but empty: its button still works.
  await body.locator('img[name^=k]').nth(1).click();
  assert.deepEqual(await cartLines(), [
    [quoted, 'Size: M, Color: czerwony, Dimensions: 10x10', '2', '12.50', '25.00'],
    ['Pusta lista', '', '1', '3.00', '3.00'],
  ]);
});

test('a detail page adds its product, the quote in the name included', async () => {
  const body = frame('body');
  await body.goto(`${base}/ID000001901P.html`);
  await body.selectOption('select[name=R]', 'L');
  await body.selectOption('select[name=K]', 'zielony');
  await body.click('img[name=k]');
  const lines = await cartLines();
  assert.deepEqual(lines[2], [quoted, 'Size: L, Color: zielony, Dimensions: 5x5', '1', '12.50', '12.50']);
  assert.equal(await frame('body').textContent('b.total'), '40.50');
});

test('the search finds the product with a quote, case-sensitive', async () => {
  await frame('top').click('img[name=b7]');
  const body = frame('body');
  await body.waitForURL(/find\.html$/);
  await body.fill('input[name=FIND]', '"Mały"');
  await body.click('button:has-text("search")');
  await body.waitForSelector('#kalmenor-generated');
  assert.deepEqual(await body.locator('a.result').allTextContents(), [quoted]);
  await body.goto(`${base}/find.html`);
  await body.fill('input[name=FIND]', '"mały"');
  await body.click('button:has-text("search")');
  await body.waitForSelector('#kalmenor-generated');
  assert.match(await body.textContent('body'), /No product found/);
});

test('the order form posts to send.php, which mails the order and thanks', async () => {
  await frame('top').click('img[name=b3]');
  const body = frame('body');
  await body.waitForURL(/send\.html$/);
  dialogs.length = 0;
  await body.click('input[value="Send order"]');
  assert.match(dialogs.at(-1) ?? '', /required fields/);
  assert.equal(mails(), '');

  await body.fill('input[name=FIRMA]', 'Firma "ABC" $1');
  await body.fill('input[name=NAZWISKO]', 'Jan Kowalski');
  await body.fill('input[name=ULICA]', 'Długa 5');
  await body.fill('input[name=KOD]', '00-950');
  await body.fill('input[name=MIASTO]', 'Warszawa');
  await body.fill('input[name=EMAIL]', 'jan@example.com');
  await body.fill('input[name=MIASTO2]', 'Kraków');
  await body.fill('textarea[name=INFORMACJE]', 'Proszę dzwonić\nprzed 17');
  await body.selectOption('select[name=DELIVERY]', 'Poczta Polska Price: 9,50');
  await body.click('input[value="Send order"]');
  await body.waitForURL(/send\.php$/);
  const shown = await body.textContent('body');
  assert.match(shown, /Dziękujemy za zamówienie/);
  assert.doesNotMatch(shown, phpComplaint);

  const mail = mails();
  const [head, ...rest] = mail.split('\r\n\r\n');
  const headers = head.split('\r\n');
  assert.ok(headers.includes('To: orders@example.com'), head);
  assert.ok(headers.includes('Subject: NEW ORDER'), head);
  assert.equal(rest.join('\r\n\r\n').replace(/\r\n$/, ''),
               `${quoted} (Size: M, Color: czerwony, Dimensions: 10x10), quantity: 2, unit price: 12.50, total: 25.00\n`
               + 'Pusta lista, quantity: 1, unit price: 3.00, total: 3.00\n'
               + `${quoted} (Size: L, Color: zielony, Dimensions: 5x5), quantity: 1, unit price: 12.50, total: 12.50\n`
               + 'Total: 40.50\n'
               + 'Company: Firma "ABC" $1\nName: Jan Kowalski\nStreet: Długa 5\nPost code: 00-950\nCity: Warszawa\n'
               + 'Tel. \ne-mail: jan@example.com\n'
               + 'Delivery adress:\nCompany: \nName: \nStreet: \nPost code: \nCity: Kraków\n'
               + 'Msg: Proszę dzwonić\nprzed 17\n'
               + '\nDelivery method:Poczta Polska Price: 9,50');
  await page.screenshot({ path: path.join(workFolder, 'order-sent.png') });
});

test('a GET of send.php sends nothing and shows no PHP warning', async () => {
  const before = mails();
  const response = await fetch(`${base}/send.php`);
  const text = await response.text();
  assert.equal(response.status, 200);
  assert.doesNotMatch(text, phpComplaint);
  assert.doesNotMatch(text, /Dziękujemy za zamówienie/);
  assert.match(text, /No order has been received/);
  assert.equal(mails(), before);
});
