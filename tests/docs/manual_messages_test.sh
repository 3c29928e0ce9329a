#!/usr/bin/env bash
# The built manual holds every result code's message as the message table
# gives it (placeholders for inserted details), whatever groff did with the
# line breaks: both sides are compared without whitespace.
# Usage: manual_messages_test.sh PDFTOTEXT MANUAL_CODES PDF
set -euo pipefail
pdftotext_program="$1" codes_program="$2" pdf="$3"

text="$("$pdftotext_program" -enc UTF-8 "$pdf" - | tr -d ' \t\r\n\f')"
list="$("$codes_program" --list)"
[[ -n "$list" ]] || { echo "the message table lists no code" >&2; exit 1; }

missing=0 count=0
while IFS=$'\t' read -r code message; do
  count=$((count + 1))
  if [[ "$text" != *"$(tr -d ' \t\r\n\f' <<<"$message")"* ]]; then
    echo "message of $code not in the manual: $message" >&2
    missing=$((missing + 1))
  fi
done <<<"$list"
((missing == 0)) || exit 1
echo "$count messages found in $(basename "$pdf")"
