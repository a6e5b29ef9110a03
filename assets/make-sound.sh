#!/usr/bin/env bash
# Generates the default alert sound, vigilampairraid.mp3: a two-tone siren of about three seconds, rising and
# falling three times, mono at 22.05 kHz, encoded to a small constant-bitrate MP3.
# The generated file is committed; run this again only to change the sound.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One sweep up and one down, each half a second, as a triangle-shaped rise and fall between 600 and 1200 Hz.
sox -n -r 22050 -c 1 -b 16 "$work/up.wav" synth 0.5 sine 600-1200
sox -n -r 22050 -c 1 -b 16 "$work/down.wav" synth 0.5 sine 1200-600
sox "$work/up.wav" "$work/down.wav" "$work/cycle.wav"
# Three cycles, softened at both ends so the sound neither clicks in nor stops dead, at a moderate level.
sox "$work/cycle.wav" "$work/siren.wav" repeat 2 fade t 0.05 0 0.3 gain -n -3
lame --quiet -m m -b 48 --resample 22.05 --tt "Vigilamp air raid" "$work/siren.wav" vigilampairraid.mp3
