#!/usr/bin/env bash
# Regenerates the MAVLink message table from the XML definitions and fails if
# it differs from the committed link/MessageTableData.cpp.
# Usage: tools/check_message_table.sh [mavlink-xml-dir]   (default ../shared/mavlink)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
XML_DIR="${1:-$ROOT/../shared/mavlink}"
if [ ! -f "$XML_DIR/common.xml" ]; then
  echo "check_message_table: $XML_DIR/common.xml not found" >&2
  exit 2
fi
tmp="$(mktemp)"
trap 'rm -f "$tmp"' EXIT
python3 "$ROOT/tools/gen_message_table.py" "$XML_DIR/common.xml" > "$tmp"
if ! diff -u "$ROOT/link/MessageTableData.cpp" "$tmp"; then
  echo "check_message_table: link/MessageTableData.cpp is out of date; regenerate it with" >&2
  echo "  python3 tools/gen_message_table.py $XML_DIR/common.xml > link/MessageTableData.cpp" >&2
  exit 1
fi
echo "check_message_table: link/MessageTableData.cpp matches $XML_DIR"
