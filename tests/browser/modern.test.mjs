// The demo shop in its modern page style, as a customer, a reviewer and a mischief-maker use it:
// browsing, cart, order through the real send.php (mail captured), phone and desktop widths,
// accessibility (axe-core), validity (Nu Html Checker), JSON-LD and reachability (linkchecker).
// Usage: node modern.test.mjs SHOP_FOLDER WORK_FOLDER BASE_URL
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { chromium } from 'playwright-core';
import { AxeBuilder } from '@axe-core/playwright';

const require = createRequire(import.meta.url);
const shopFolder = path.resolve(process.argv[2] ?? '');
const workFolder = path.resolve(process.argv[3] ?? '');
const base = process.argv[4] ?? '';
const mailFolder = path.join(workFolder, 'mail');

const categories = ['ID000000101K', 'ID000000102W', 'ID000000103W', 'ID000000201K', 'ID000000202W',
                    'ID000000203W', 'ID000000301K', 'ID000000302W', 'ID000000401K', 'ID000000402W'];
const products = Array.from({ length: 19 }, (_, i) => `ID0000010${String(i + 1).padStart(2, '0')}P`);
const pageKinds = { home: 'index.html', category: 'ID000000101K.html', product: 'ID000001003P.html',
                    search: 'find.html?q=ziol', cart: 'koszyk.html', order: 'send.html', prices: 'cennik.html',
                    about: 'onas.html', terms: 'regulamin.html' };

let browser;

function takeMails() {
  const files = fs.readdirSync(mailFolder).sort().map((f) => path.join(mailFolder, f));
  const mails = files.map((f) => fs.readFileSync(f, 'utf8'));
  for (const f of files) fs.unlinkSync(f);
  return mails;
}

const recipient = (mail) => /^To: (.*)$/m.exec(mail)?.[1].trim();

async function newPage(width, height, options = {}) {
  const context = await browser.newContext({ viewport: { width, height }, ...options });
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (e) => problems.push(e.message));
  return { context, page, problems };
}

before(async () => {
  assert.ok(fs.existsSync(path.join(shopFolder, 'index.html')), `no shop in ${shopFolder}`);
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
                                    args: ['--no-sandbox'] });
  takeMails();
});

after(async () => {
  await browser?.close();
});

test('a customer browses, buys a variant, pays delivery and both mails carry the recomputed total', async () => {
  const { context, page, problems } = await newPage(1280, 800);
  await page.goto(`${base}/index.html`);
  await page.click('nav.menu >> text=Odzież');
  assert.match(page.url(), /ID000000101K\.html$/);
  assert.equal(await page.locator('nav.crumbs [aria-current=page]').textContent(), 'Odzież');
  await page.click('.card-link:has-text("Koszulka bawełniana")');
  assert.match(page.url(), /ID000001001P\.html$/);
  await page.selectOption('select[name=r]', 'M');
  await page.selectOption('select[name=k]', 'czarny');
  await page.fill('#qty', '2');
  await page.click('form.buy button[type=submit]');
  await page.waitForSelector('form.buy .status a');
  assert.equal(await page.textContent('[data-cart-count]'), '2');
  // The promoted hoodie, once, at its promotion price.
  await page.goto(`${base}/ID000001003P.html`);
  assert.match(await page.textContent('.product .lowest'), /Najniższa cena z 30 dni przed obniżką: 149,99/);
  await page.click('form.buy button[type=submit]');
  await page.waitForSelector('form.buy .status a');

  await page.goto(`${base}/koszyk.html`);
  await page.waitForSelector('.cart-lines li');
  assert.equal(await page.locator('.cart-lines li').count(), 2);
  assert.match(await page.textContent('.cart-lines'), /Rozmiar: M, Kolor: czarny/);
  await page.selectOption('#cart-delivery', { label: 'Poczta Polska – 9,50\u00a0zł' });
  // 2 × 39,67 + 120,00 + 9,50 = 208,84
  assert.match(await page.textContent('.totals .grand'), /208,84\u00a0zł/);
  // The cart outlives the page: a reload still holds it.
  await page.reload();
  await page.waitForSelector('.cart-lines li');
  await page.click('[data-checkout]');
  assert.match(page.url(), /send\.html$/);
  assert.match(await page.textContent('#order-summary .grand'), /208,84/);
  assert.equal(await page.inputValue('select[name=DELIVERY]'), '1');
  await page.fill('#f-NAZWISKO', 'Anna Żółkiewska');
  await page.fill('#f-ULICA', 'Długa 5');
  await page.fill('#f-KOD', '00-950');
  await page.fill('#f-MIASTO', 'Warszawa');
  await page.fill('#f-EMAIL', 'anna@example.org');
  // Browser validation holds the form back until the terms are accepted.
  await page.click('form.order button[type=submit]');
  assert.match(page.url(), /send\.html$/);
  await page.check('#f-REGULAMIN');
  await Promise.all([page.waitForURL(/send\.php$/), page.click('form.order button[type=submit]')]);
  assert.match(await page.textContent('.thanks'), /Thank you|Dziękujemy/);
  assert.equal(await page.textContent('[data-cart-count]'), '0');

  const mails = takeMails();
  assert.equal(mails.length, 2, mails.join('\n----\n'));
  const merchant = mails.find((m) => recipient(m) === 'demo@example.com');
  const customer = mails.find((m) => recipient(m) === 'anna@example.org');
  assert.ok(merchant && customer, mails.join('\n----\n'));
  for (const mail of [merchant, customer]) {
    assert.match(mail, /2 x 39,67 zł = 79,34 zł/);
    assert.match(mail, /Rozmiar: M, Kolor: czarny/);
    assert.match(mail, /Dostawa: Poczta Polska 9,50 zł/);
    assert.match(mail, /Razem do zapłaty: 208,84 zł/);
    assert.match(mail, /Anna Żółkiewska/);
  }
  assert.match(merchant, /^Reply-To: anna@example.org/m);
  assert.doesNotMatch(merchant, /UWAGA:/);
  assert.deepEqual(problems, []);
  await context.close();
});

test('send.php prices a tampered order from its own list and refuses injected headers', async () => {
  const request = (await browser.newContext()).request;
  const post = (form) => request.post(`${base}/send.php`, { form });
  const customer = { NAZWISKO: 'Jan\u0000 Kowalski', ULICA: 'Krótka 1', KOD: '30-001', MIASTO: 'Kraków',
                     EMAIL: 'jan@example.org', REGULAMIN: '1', DELIVERY: '0' };
  const tampered = JSON.stringify([{ id: 'ID000001003P', q: 3, p: 1, r: 'M', k: 'szary' },
                                   { id: 'ID999999999P', q: 1, p: 1 }]);
  let response = await post({ ...customer, KOSZYK: tampered, ZAMOWIENIE: '3 x hoodie = 0,03 zł' });
  assert.equal(response.status(), 200, await response.text());
  assert.doesNotMatch(await response.text(), /\u0000/);
  let mails = takeMails();
  assert.equal(mails.length, 2);
  const merchant = mails.find((m) => recipient(m) === 'demo@example.com');
  assert.match(merchant, /3 x 120,00 zł = 360,00 zł/);
  assert.match(merchant, /Razem do zapłaty: 375,00 zł/); // Kurier 15,00
  assert.match(merchant, /UWAGA:.*cenniku/);
  assert.match(merchant, /ID000001003P: 1 zamiast 12000/);
  assert.match(merchant, /nieznany produkt: ID999999999P/);
  assert.match(merchant, /Jan Kowalski/);
  assert.doesNotMatch(merchant, /0,03/);

  // A header smuggled into the address, an unknown variant alone, no terms: refused, nothing mailed.
  response = await post({ ...customer, EMAIL: 'jan@example.org\r\nBcc: all@example.net',
                          KOSZYK: JSON.stringify([{ id: 'ID000001011P', q: 1 }]) });
  assert.equal(response.status(), 400);
  response = await post({ ...customer, KOSZYK: JSON.stringify([{ id: 'ID000001001P', q: 1, r: 'XXXL', k: 'biały' }]) });
  assert.equal(response.status(), 400);
  const { REGULAMIN, ...withoutTerms } = customer;
  assert.ok(REGULAMIN);
  response = await post({ ...withoutTerms, KOSZYK: JSON.stringify([{ id: 'ID000001011P', q: 1 }]) });
  assert.equal(response.status(), 400);
  // A robot filling the hidden field is thanked and not mailed.
  response = await post({ ...customer, strona_www: 'http://spam.example', KOSZYK: JSON.stringify([{ id: 'ID000001011P', q: 1 }]) });
  assert.equal(response.status(), 200);
  mails = takeMails();
  assert.deepEqual(mails, []);
  // A long cart (more than a text field's worth of JSON) is priced whole.
  const longCart = JSON.stringify(Array.from({ length: 150 }, () => ({ id: 'ID000001011P', q: 1, p: 3900 })));
  assert.ok(longCart.length > 4000);
  response = await post({ ...customer, KOSZYK: longCart });
  assert.equal(response.status(), 200);
  mails = takeMails();
  assert.match(mails.find((m) => recipient(m) === 'demo@example.com'), /Razem do zapłaty: 5865,00 zł/);
  // The price list cannot be read from outside.
  assert.equal((await request.get(`${base}/ceny.php`)).status(), 404);
  // The thank-you page itself is valid HTML (checked with the other pages).
  response = await post({ ...customer, KOSZYK: JSON.stringify([{ id: 'ID000001011P', q: 1 }]) });
  fs.writeFileSync(path.join(workFolder, 'send-result.html'), await response.text());
  takeMails();
});

test('search ignores case and Polish letters', async () => {
  const { context, page } = await newPage(1280, 800);
  for (const [query, expected] of [['ziol', 'Nasiona ziół'], ['KSIAZKA kuch', 'Książka kucharska'], ['miś', 'Pluszowy miś']]) {
    await page.goto(`${base}/index.html`);
    await page.fill('#q-top', query);
    await Promise.all([page.waitForURL(/find\.html\?q=/), page.press('#q-top', 'Enter')]);
    await page.waitForSelector('#results h2');
    const names = await page.locator('#results .card h3').allTextContents();
    assert.ok(names.includes(expected), `${query}: ${names}`);
  }
  await context.close();
});

test('phones and desktops: no sideways scrolling, readable text, reachable menu', async () => {
  for (const [width, height] of [[390, 844], [1280, 800]]) {
    const { context, page } = await newPage(width, height);
    await page.goto(`${base}/ID000001001P.html`);
    await page.click('form.buy button[type=submit]');
    for (const [kind, file] of Object.entries(pageKinds)) {
      await page.goto(`${base}/${file}`);
      await page.waitForLoadState('networkidle');
      const sizes = await page.evaluate(() => ({
        scroll: document.documentElement.scrollWidth, inner: window.innerWidth,
        font: Math.min(...['body', 'main p', 'main li', 'nav.menu a'].flatMap((s) => [...document.querySelectorAll(s)])
          .filter((e) => !e.closest('.lowest, .badge, .variant, .crumbs, del'))
          .map((e) => parseFloat(getComputedStyle(e).fontSize))),
      }));
      assert.ok(sizes.scroll <= sizes.inner, `${kind} at ${width}: ${sizes.scroll} > ${sizes.inner}`);
      assert.ok(sizes.font >= 16, `${kind} at ${width}: ${sizes.font}px text`);
    }
    await page.goto(`${base}/index.html`);
    if (width < 700) {
      assert.equal(await page.isVisible('nav.menu a >> text=Zabawki'), false);
      await page.click('.menu-button');
    }
    await page.click('nav.menu a >> text=Zabawki');
    assert.match(page.url(), /ID000000401K\.html$/);
    await context.close();
  }
  // Without JavaScript the menu is simply there and the pages link to each other.
  const { context, page } = await newPage(390, 844, { javaScriptEnabled: false });
  await page.goto(`${base}/index.html`);
  await page.click('nav.menu a >> text=Książki');
  await page.click('.card-link:has-text("Atlas ptaków")');
  assert.match(await page.textContent('.product .price'), /59,00/);
  await context.close();
});

test('axe-core finds no serious or critical violation', async () => {
  const { context, page } = await newPage(1280, 800);
  await page.goto(`${base}/ID000001001P.html`);
  await page.click('form.buy button[type=submit]');
  for (const kind of ['home', 'category', 'product', 'search', 'cart', 'order']) {
    for (const width of [390, 1280]) {
      await page.setViewportSize({ width, height: 800 });
      await page.goto(`${base}/${pageKinds[kind]}`);
      await page.waitForLoadState('networkidle');
      const result = await new AxeBuilder({ page }).analyze();
      const bad = result.violations.filter((v) => v.impact === 'serious' || v.impact === 'critical');
      assert.deepEqual(bad.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`), [], `${kind} at ${width}`);
    }
  }
  await context.close();
});

test('every page kind is valid HTML and product pages carry parseable JSON-LD', () => {
  const files = [...new Set(Object.values(pageKinds).map((f) => f.replace(/\?.*/, '')))]
    .concat(['ID000001001P.html', 'ID000000402W.html', 'send-result.html'])
    .map((f) => (f === 'send-result.html' ? path.join(workFolder, f) : path.join(shopFolder, f)));
  const vnu = path.join(path.dirname(require.resolve('vnu-jar')), 'build/dist/vnu.jar');
  const run = spawnSync('java', ['-jar', vnu, '--errors-only', '--format', 'text', ...files], { encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr + run.stdout);

  for (const id of products) {
    const html = fs.readFileSync(path.join(shopFolder, `${id}.html`), 'utf8');
    const blocks = [...html.matchAll(/<script type="application\/ld\+json">(.*?)<\/script>/gs)].map((m) => JSON.parse(m[1]));
    const product = blocks.find((b) => b['@type'] === 'Product');
    assert.ok(product, id);
    assert.equal(product.sku, id);
    assert.match(product.offers.price, /^\d+\.\d\d$/);
    assert.equal(product.offers.priceCurrency, 'PLN');
    assert.ok(blocks.some((b) => b['@type'] === 'BreadcrumbList'), id);
    assert.match(html, /<link rel="canonical" href="https:\/\/sklep\.example\.com\//);
  }
  const sitemap = fs.readFileSync(path.join(shopFolder, 'sitemap.xml'), 'utf8');
  for (const id of [...products, ...categories]) assert.ok(sitemap.includes(`/${id}.html</loc>`), id);
  assert.match(fs.readFileSync(path.join(shopFolder, 'robots.txt'), 'utf8'), /Sitemap: https:\/\/sklep\.example\.com\/sitemap\.xml/);
});

test('linkchecker reaches every product and category page from the home page', () => {
  const run = spawnSync('linkchecker', ['--no-status', '--verbose', '-o', 'csv', '--no-robots', `${base}/index.html`],
                        { encoding: 'utf8', cwd: workFolder });
  assert.equal(run.status, 0, run.stdout.split('\n').filter((l) => /error|;False;/i.test(l)).join('\n') + run.stderr);
  for (const id of [...products, ...categories]) assert.ok(run.stdout.includes(`/${id}.html`), `${id} not reached`);
});

