<?php
// Order script of the modern shop. Every line and the total are priced from ceny.php (written with the
// shop); prices sent by the browser are only compared, and a difference is noted for the merchant.
define('KALMENOR_SHOP', true);
$shop = require __DIR__ . '/ceny.php';
$L = $shop['labels'];

// A posted text as UTF-8 without NUL bytes; single-line fields also lose every other control character.
function kal_text($name, $multiline = false, $limit = 0)
{
    $value = $_POST[$name] ?? '';
    if (!is_string($value)) {
        return '';
    }
    $value = str_replace("\0", '', $value);
    if (!preg_match('//u', $value)) {
        $value = (string) iconv('UTF-8', 'UTF-8//IGNORE', $value);
    }
    $value = $multiline ? preg_replace('/[\x01-\x08\x0B\x0C\x0E-\x1F\x7F]/', '', $value)
                        : preg_replace('/[\x01-\x1F\x7F]+/', ' ', $value);
    return trim(substr($value, 0, $limit ?: ($multiline ? 4000 : 300)));
}

function kal_html($text)
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
}

function kal_money($minor, $shop)
{
    $text = intdiv(abs($minor), 100) . ($shop['comma'] ? ',' : '.') . str_pad((string) (abs($minor) % 100), 2, '0', STR_PAD_LEFT);
    return ($minor < 0 ? '-' : '') . $text . ' ' . $shop['currency'];
}

function kal_subject($text)
{
    return '=?UTF-8?B?' . base64_encode($text) . '?=';
}

$kalmenorStatus = 200;
$kalmenorMain = '';
$posted = $_SERVER['REQUEST_METHOD'] === 'POST';
$honeypot = kal_text('strona_www');

// The cart: recomputed line by line from the price list.
$lines = [];
$notes = [];
$cart = json_decode(kal_text('KOSZYK', true, 200000), true);
if (!is_array($cart)) {
    $cart = [];
}
foreach (array_slice($cart, 0, 200) as $item) {
    if (!is_array($item) || !is_string($item['id'] ?? null) || !isset($shop['products'][$item['id']])) {
        $notes[] = $L['unknown_product'] . ': ' . (is_array($item) && is_scalar($item['id'] ?? null) ? (string) $item['id'] : '?');
        continue;
    }
    $product = $shop['products'][$item['id']];
    $quantity = filter_var($item['q'] ?? null, FILTER_VALIDATE_INT, ['options' => ['min_range' => 1, 'max_range' => 999]]);
    if ($quantity === false) {
        $notes[] = $item['id'] . ': ' . $L['quantity'] . ' ' . json_encode($item['q'] ?? null);
        continue;
    }
    $variants = [];
    foreach (['r' => 'size', 'k' => 'colour', 'w' => 'dimensions'] as $key => $label) {
        if (!$product[$key]) {
            continue;
        }
        $chosen = is_string($item[$key] ?? null) ? $item[$key] : '';
        if (!in_array($chosen, $product[$key], true)) {
            $notes[] = $item['id'] . ': ' . $L[$label] . ' ' . json_encode($chosen, JSON_UNESCAPED_UNICODE);
            continue 2;
        }
        $variants[] = $L[$label] . ': ' . $chosen;
    }
    if (array_key_exists('p', $item) && $item['p'] !== $product['p']) {
        $notes[] = $item['id'] . ': ' . json_encode($item['p']) . ' ' . $L['instead_of'] . ' ' . $product['p'];
    }
    $lines[] = ['name' => $product['n'], 'variants' => implode(', ', $variants), 'quantity' => $quantity,
                'price' => $product['p'], 'amount' => $product['p'] * $quantity];
}

$delivery = null;
if ($shop['delivery']) {
    $index = filter_var($_POST['DELIVERY'] ?? null, FILTER_VALIDATE_INT, ['options' => ['min_range' => 0]]);
    if ($index === false || !isset($shop['delivery'][$index])) {
        $index = 0;
        $notes[] = $L['unknown_delivery'] . ' ' . json_encode(kal_text('DELIVERY'), JSON_UNESCAPED_UNICODE);
    }
    $delivery = $shop['delivery'][$index];
}

$customer = [];
foreach (['FIRMA' => 'company', 'NAZWISKO' => 'name', 'ULICA' => 'street', 'KOD' => 'postcode', 'MIASTO' => 'city',
          'TELEFON' => 'phone', 'EMAIL' => 'email'] as $field => $label) {
    $customer[$L[$label]] = kal_text($field);
}
$shipping = [];
foreach (['FIRMA2' => 'company', 'NAZWISKO2' => 'name', 'ULICA2' => 'street', 'KOD2' => 'postcode', 'MIASTO2' => 'city'] as $field => $label) {
    $shipping[$L[$label]] = kal_text($field);
}
$comments = kal_text('INFORMACJE', true);
$email = filter_var(kal_text('EMAIL'), FILTER_VALIDATE_EMAIL);
$merchant = filter_var($shop['merchant'], FILTER_VALIDATE_EMAIL);
$missing = [];
foreach (['NAZWISKO' => 'name', 'ULICA' => 'street', 'KOD' => 'postcode', 'MIASTO' => 'city'] as $field => $label) {
    if (kal_text($field) === '') {
        $missing[] = $L[$label];
    }
}
if ($email === false) {
    $missing[] = $L['email'];
}

// The order as text for both mails.
$subtotal = 0;
$summary = '';
foreach ($lines as $n => $line) {
    $subtotal += $line['amount'];
    $summary .= ($n + 1) . '. ' . $line['name'] . ($line['variants'] !== '' ? ' (' . $line['variants'] . ')' : '') . "\n   "
        . $line['quantity'] . ' x ' . kal_money($line['price'], $shop) . ' = ' . kal_money($line['amount'], $shop) . "\n";
}
$total = $subtotal + ($delivery ? $delivery['p'] : 0);
$summary .= "\n" . $L['subtotal'] . ': ' . kal_money($subtotal, $shop) . "\n";
if ($delivery) {
    $summary .= $L['delivery'] . ': ' . $delivery['n'] . ' ' . kal_money($delivery['p'], $shop) . "\n";
}
$summary .= $L['total'] . ': ' . kal_money($total, $shop) . "\n";
$details = "\n" . $L['invoice'] . ":\n";
foreach ($customer as $label => $value) {
    $details .= $label . ': ' . $value . "\n";
}
if (implode('', $shipping) !== '') {
    $details .= "\n" . $L['address'] . ":\n";
    foreach ($shipping as $label => $value) {
        $details .= $label . ': ' . $value . "\n";
    }
}
if ($comments !== '') {
    $details .= "\n" . $L['comments'] . ":\n" . $comments . "\n";
}

if (!$posted) {
    $kalmenorStatus = 405;
    $kalmenorMain = '<h1>' . kal_html($L['order']) . '</h1><p><a href="send.html">' . kal_html($L['order']) . '</a></p>';
} elseif ($honeypot !== '') {
    // A form filled in by a robot: thanked, not mailed.
    $kalmenorMain = '<h1>' . kal_html($L['order']) . '</h1><p>' . kal_html($shop['thanks']) . '</p>';
} elseif (!$lines || $missing || !isset($_POST['REGULAMIN'])) {
    $kalmenorStatus = 400;
    $kalmenorMain = '<h1>' . kal_html($L['order']) . '</h1><p class="status">'
        . kal_html(!$lines ? $L['empty'] : implode(', ', $missing ?: [$L['terms']])) . '</p>'
        . '<p><a class="button" href="send.html">' . kal_html($L['order']) . '</a></p>';
} elseif ($merchant === false) {
    // The shop has no address to mail the order to: the customer's order is fine, the shop is not.
    $kalmenorStatus = 500;
    $kalmenorMain = '<h1>' . kal_html($L['order']) . '</h1><p class="status">' . kal_html($L['mail_failed']) . '</p>';
} else {
    $merchantBody = $L['order'] . ' – ' . $shop['shop'] . "\n\n" . $summary . $details;
    if ($notes) {
        $merchantBody .= "\n" . $L['prices_differ'] . "\n - "
            . implode("\n - ", $notes) . "\n";
    }
    $headers = "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n"
        . 'From: ' . $merchant . "\r\nReply-To: " . $email;
    $sent = mail($merchant, kal_subject($L['order'] . ' – ' . $shop['shop']), $merchantBody, $headers);
    $confirmation = $shop['thanks'] . "\n\n" . $summary . $details;
    $customerHeaders = "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n"
        . 'From: ' . $merchant;
    mail($email, kal_subject($L['order'] . ' – ' . $shop['shop']), $confirmation, $customerHeaders);
    if ($sent) {
        $kalmenorMain = '<h1>' . kal_html($L['order']) . '</h1><p class="thanks" data-order-sent>' . kal_html($shop['thanks'])
            . '</p><pre class="summary">' . kal_html($summary . $details) . '</pre>';
    } else {
        // The cart stays in the browser, so nothing is lost: the customer can try again or write.
        $kalmenorStatus = 500;
        $kalmenorMain = '<h1>' . kal_html($L['order']) . '</h1><p class="status">' . kal_html($L['mail_failed']) . ' <a href="mailto:'
            . kal_html($merchant) . '">' . kal_html($merchant) . '</a></p>';
    }
}
http_response_code($kalmenorStatus);
