// The classic (frame set) shop in a headless Chromium of its own, for the browser tests.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

// Opens BASE/index.html in a fresh profile (removed by closeFramedShop); every dialog is accepted and
// its text kept in dialogs.
export async function openFramedShop(base, dialogs, options = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kalmenor-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    ...options,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  const page = context.pages()[0] ?? await context.newPage();
  page.on('dialog', async (dialog) => { dialogs.push(dialog.message()); await dialog.accept(); });
  await page.goto(`${base}/index.html`);
  await page.frame({ name: 'body' }).waitForLoadState();
  return { context, page, profile };
}

export async function closeFramedShop(shop) {
  await shop?.context?.close();
  if (shop?.profile)
    fs.rmSync(shop.profile, { recursive: true, force: true });
}

// The cart page's lines as shown: the first five cells of each.
export function cartLines(page) {
  return page.frame({ name: 'body' }).$$eval('table.cart tr.line', (rows) =>
    rows.map((row) => Array.from(row.cells).map((cell) => cell.textContent.trim()).slice(0, 5)));
}
