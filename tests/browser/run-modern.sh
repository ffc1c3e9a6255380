#!/usr/bin/env bash
# Builds the demo shop in its own (modern) page style into WORK, serves it with PHP's built-in server
# (mail captured one file per message) and runs the modern shop's browser tests on it.
set -euo pipefail
maker=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -d "$here/node_modules/@axe-core/playwright" ] || [ ! -d "$here/node_modules/vnu-jar" ]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi
rm -rf "$work"
mkdir -p "$work/mail"
"$maker" "$work" > "$work/build-report.txt"
shop=$(dirname "$(tail -n 1 "$work/build-report.txt")")

cat > "$work/sendmail.sh" <<EOF
#!/bin/sh
cat > "\$(mktemp "$work/mail/mail.XXXXXX")"
EOF
chmod +x "$work/sendmail.sh"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
php -n -d "sendmail_path=$work/sendmail.sh" -S "127.0.0.1:$port" -t "$shop" > "$work/php.log" 2>&1 &
php_pid=$!
trap 'kill "$php_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
node "$here/modern.test.mjs" "$shop" "$work" "http://127.0.0.1:$port"
