// Kalmenor shop cart.
// The frame set loads this script, and so do most framed pages; the pages call the frame set's copy as
// parent.e / parent.d / parent.szukaj / parent.pisz, and the order form calls its own validate().
// The cart is kept in the tab's session storage, so it survives reloading a page within the visit;
// where that storage is unavailable it lives in the frame set window.

// Pages opened from disk (the preview) are each an origin of their own in current browsers, so a framed
// page cannot reach the frame set's functions. Such a page then answers its own parent.… calls: the cart
// lives in the session storage all pages share, and the header shows the cart through the body frame.
var kDetached = false;
(function () {
    if (window.parent === window)
        return;
    try {
        void window.parent.document;
    } catch (x) {
        kDetached = true;
        window.parent = window;
        // parent.body.document.location.href = page: the header buttons and the tiles' links.
        var location = {};
        Object.defineProperty(location, 'href', {
            get: function () { return ''; },
            set: function (page) { window.open(new URL(page, kShopFolder()).href, 'body'); }
        });
        window.body = { document: { location: location } };
    }
})();

// The frame set window: the parent when it holds the body frame, else this window (a page opened alone).
function kShopWindow() {
    try {
        if (window.parent && window.parent !== window && window.parent.frames && window.parent.frames['body'])
            return window.parent;
    } catch (x) {
        // A parent of another origin: this page stands alone.
    }
    return window;
}

// The window whose document shows cart and search results: the body frame, else this window.
function kBodyWindow() {
    if (kDetached)
        return window;
    var shop = kShopWindow();
    try {
        if (shop.frames && shop.frames['body'])
            return shop.frames['body'];
    } catch (x) {
        // No reachable body frame.
    }
    return window;
}

function kShopFolder() {
    var href = String(kShopWindow().location.href).split('#')[0].split('?')[0];
    return href.substring(0, href.lastIndexOf('/') + 1);
}

function kStorageKey() {
    return 'kalmenor.cart:' + kShopFolder();
}

function kEscape(text) {
    return String(text).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
        .replace(/"/g, '&quot;').replace(/'/g, '&#39;');
}

function kReadCart() {
    try {
        var stored = window.sessionStorage.getItem(kStorageKey());
        return stored ? JSON.parse(stored) : [];
    } catch (x) {
        var shop = kShopWindow();
        return shop.kMemoryCart ? shop.kMemoryCart.slice() : [];
    }
}

function kWriteCart(lines) {
    try {
        window.sessionStorage.setItem(kStorageKey(), JSON.stringify(lines));
    } catch (x) {
        kShopWindow().kMemoryCart = lines.slice();
    }
}

// Money is counted in whole cents.
function kCents(price) {
    var value = parseFloat(String(price).replace(',', '.'));
    return isNaN(value) ? NaN : Math.round(value * 100);
}

function kMoney(cents) {
    var sign = cents < 0 ? '-' : '';
    cents = Math.abs(cents);
    var rest = String(cents % 100);
    return sign + Math.floor(cents / 100) + '.' + (rest.length < 2 ? '0' + rest : rest);
}

// A choice of a select, or the number 0 when the product has no such choice.
function kChoice(value) {
    return (value === 0 || value === undefined || value === null) ? '' : String(value);
}

function kChoicesText(line) {
    var parts = [];
    if (line.size) parts.push('Size: ' + line.size);
    if (line.color) parts.push('Color: ' + line.color);
    if (line.dimension) parts.push('Dimensions: ' + line.dimension);
    return parts.join(', ');
}

function kCartTotal(lines) {
    var total = 0;
    for (var i = 0; i < lines.length; i++)
        total += lines[i].quantity * lines[i].cents;
    return total;
}

// Adds a line to the cart; the same product with the same choices adds to its quantity.
function e(quantity, price, name, size, colour, dimension) {
    var text = String(quantity).replace(/^\s+|\s+$/g, '');
    if (!/^[0-9]+$/.test(text) || parseInt(text, 10) < 1) {
        alert('Enter a whole quantity of at least 1.');
        return false;
    }
    var cents = kCents(price);
    if (isNaN(cents)) {
        alert('This product has no valid price and cannot be added to the cart.');
        return false;
    }
    var line = { name: String(name), size: kChoice(size), color: kChoice(colour), dimension: kChoice(dimension),
                 quantity: parseInt(text, 10), cents: cents };
    var lines = kReadCart();
    var found = false;
    for (var i = 0; i < lines.length; i++) {
        var l = lines[i];
        if (l.name === line.name && l.size === line.size && l.color === line.color
            && l.dimension === line.dimension && l.cents === line.cents) {
            l.quantity += line.quantity;
            found = true;
            break;
        }
    }
    if (!found)
        lines.push(line);
    kWriteCart(lines);
    kNotice('Added to cart: ' + line.name + ' \u00d7 ' + line.quantity);
    return true;
}

// A short notice in the body frame that fades by itself.
function kNotice(text) {
    try {
        var doc = kBodyWindow().document;
        var old = doc.getElementById('kalmenor-notice');
        if (old) old.parentNode.removeChild(old);
        var box = doc.createElement('div');
        box.id = 'kalmenor-notice';
        box.setAttribute('style', 'position:fixed;top:8px;right:8px;padding:8px 12px;background:#333;color:#fff;'
            + 'font:12px verdana,arial,sans-serif;border-radius:4px;z-index:1000;opacity:0.92');
        box.textContent = text;
        (doc.body || doc.documentElement).appendChild(box);
        setTimeout(function () { if (box.parentNode) box.parentNode.removeChild(box); }, 2500);
    } catch (x) {
        // The body frame shows a page of another origin: the cart has the line anyway.
    }
}

// Searchable products, registered by the search page when it loads (index 0 starts a new list).
var kProducts = [];

function d(name, page, index) {
    var shop = kShopWindow();
    var n = Number(index);
    if (n === 0 || !shop.kProducts)
        shop.kProducts = [];
    shop.kProducts.push({ name: String(name), page: String(page) });
}

// Writes a whole page into the body frame at once (so a submitting search form cannot reload it).
function kShowPage(title, content) {
    var body = kBodyWindow();
    var doc = body.document;
    var shop = kShopWindow();
    if (!doc.getElementById('kalmenor-generated'))
        shop.kReturnPage = String(body.location.href);
    doc.open();
    doc.write('<!DOCTYPE html><html><head><meta charset="UTF-8"><base href="' + kEscape(kShopFolder()) + '">'
        + '<title>' + kEscape(title) + '</title><style>'
        + 'body{font-family:verdana,arial,sans-serif;font-size:12px;margin:10px;background:#fff;color:#000}'
        + 'table.cart{border-collapse:collapse;width:100%}table.cart td,table.cart th{padding:4px 6px;'
        + 'border-bottom:1px solid #ccc;text-align:left}table.cart .num{text-align:right}'
        + '</style></head><body id="kalmenor-generated">' + content + '</body></html>');
    doc.close();
}

function kBack() {
    if (kDetached) {
        history.back();
        return;
    }
    var shop = kShopWindow();
    var page = shop.kReturnPage;
    if (!page || page === String(shop.location.href) || page === 'about:blank')
        page = kShopFolder() + 'empty.html';
    kBodyWindow().location.href = page;
}

// Shows the registered products whose name contains the text (case-sensitive) as links.
function szukaj(text) {
    var shop = kShopWindow();
    var products = shop.kProducts || [];
    var query = String(text === undefined ? '' : text);
    var seen = {};
    var rows = '';
    for (var i = 0; i < products.length; i++) {
        var p = products[i];
        if (p.name.indexOf(query) < 0 || seen[p.page])
            continue;
        seen[p.page] = true;
        rows += '<li><a class="result" href="' + kEscape(p.page) + '">' + kEscape(p.name) + '</a></li>';
    }
    var content = '<h2>Search results for: ' + kEscape(query) + '</h2>'
        + (rows ? '<ul>' + rows + '</ul>' : '<p class="none">No product found.</p>')
        + '<p><a href="find.html">New search</a></p>';
    kShowPage('Search', content);
    return false;
}

function kCartTable(lines, withButtons) {
    var html = '<table class="cart"><tr><th>Name</th><th>Choices</th><th class="num">Quantity</th>'
        + '<th class="num">Unit price</th><th class="num">Total</th>' + (withButtons ? '<th></th>' : '') + '</tr>';
    for (var i = 0; i < lines.length; i++) {
        var l = lines[i];
        html += '<tr class="line"><td>' + kEscape(l.name) + '</td><td>' + kEscape(kChoicesText(l)) + '</td>'
            + '<td class="num">' + l.quantity + '</td><td class="num">' + kMoney(l.cents) + '</td>'
            + '<td class="num">' + kMoney(l.quantity * l.cents) + '</td>'
            + (withButtons ? '<td><img class="delete" src="img/delete.jpg" alt="Delete" title="Delete"'
                + ' style="cursor:pointer" onclick="parent.kDeleteLine(' + i + ')"></td>' : '')
            + '</tr>';
    }
    html += '<tr><td colspan="4"><b>Total</b></td><td class="num"><b class="total">' + kMoney(kCartTotal(lines))
        + '</b></td>' + (withButtons ? '<td></td>' : '') + '</tr></table>';
    return html;
}

function kDeleteLine(index) {
    var lines = kReadCart();
    if (index >= 0 && index < lines.length) {
        lines.splice(index, 1);
        kWriteCart(lines);
    }
    pisz(1);
}

// pisz(1): the cart in the body frame. pisz(): the cart's contents written into the page being loaded
// (the order form and the page after sending, which also empties the cart).
function pisz(mode) {
    var lines = kReadCart();
    if (mode === 1 || mode === '1') {
        if (kDetached && window.name !== 'body') {
            // The header cannot write into the body frame: the body frame loads the cart page instead.
            window.open(kShopFolder() + 'empty.html#cart', 'body');
            return;
        }
        var content = '<p><img src="img/koszyk.jpg" alt="Cart"></p>'
            + (lines.length ? kCartTable(lines, true) : '<p class="empty">Your cart is empty.</p>')
            + '<p><img class="back" src="img/back.jpg" alt="Back" title="Back" style="cursor:pointer"'
            + ' onclick="parent.kBack()"></p>';
        kShowPage('Cart', content);
        return;
    }
    var body = kBodyWindow();
    var doc = body.document;
    doc.write(lines.length ? kCartTable(lines, false) : '<p class="empty">Your cart is empty.</p>');
    if (/\.php$/i.test(String(body.location.pathname)))
        kWriteCart([]);
}

// The order text: one line per cart line, then the total.
function kOrderText(lines) {
    var text = '';
    for (var i = 0; i < lines.length; i++) {
        var l = lines[i];
        var choices = kChoicesText(l);
        text += l.name + (choices ? ' (' + choices + ')' : '') + ', quantity: ' + l.quantity
            + ', unit price: ' + kMoney(l.cents) + ', total: ' + kMoney(l.quantity * l.cents) + '\n';
    }
    return text + 'Total: ' + kMoney(kCartTotal(lines));
}

// Checks the order form, puts the order text into ZAMOWIENIE and sends the form.
function validate() {
    var form = null;
    for (var f = 0; f < document.forms.length; f++) {
        if (document.forms[f].elements['ZAMOWIENIE']) {
            form = document.forms[f];
            break;
        }
    }
    if (!form)
        return false;
    var required = [['NAZWISKO', 'Name'], ['ULICA', 'Street'], ['KOD', 'Postcode'], ['MIASTO', 'City']];
    var missing = [];
    var first = null;
    for (var i = 0; i < required.length; i++) {
        var field = form.elements[required[i][0]];
        if (field && String(field.value).replace(/^\s+|\s+$/g, '') === '') {
            missing.push(required[i][1]);
            if (!first) first = field;
        }
    }
    if (missing.length) {
        alert('Please fill in the required fields: ' + missing.join(', ') + '.');
        if (first && first.focus) first.focus();
        return false;
    }
    var lines = kReadCart();
    if (!lines.length) {
        alert('Your cart is empty. Add products to the cart before sending the order.');
        return false;
    }
    form.elements['ZAMOWIENIE'].value = kOrderText(lines);
    form.submit();
    return true;
}
