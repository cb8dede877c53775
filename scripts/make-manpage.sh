#!/usr/bin/env bash
# Writes the manual page termivo(1) from the program's own help texts: "termivo --help"
# and every mode's "--help", so that the page says what the program says.
# ENVIRONMENT, FILES and the general exit statuses come from this script.
# Usage: make-manpage.sh TERMIVO_BINARY OUT.1
set -euo pipefail
bin=${1:?termivo binary}
out=${2:?output file}
export LC_ALL=C QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0

version=$("$bin" --version | awk '{print $2}')
general=$("$bin" --help)
modes=$(printf '%s\n' "$general" | awk '/^modes:/{on=1; next} on && /^$/{exit} on {print $1}')
conf=$(printf '%s\n' "$general" | sed -n 's/.*the key "root" of \([^,]*\),.*/\1/p')
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)
else
    date=$(date -u -r "$bin" +%Y-%m-%d)
fi

# Text as roff: backslashes and minus signs escaped, no line taken as a request.
roff() { sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"; }
verbatim() { echo '.nf'; roff; echo '.fi'; }

{
cat <<EOF
.TH TERMIVO 1 "$date" "termivo $version" "User Commands"
.SH NAME
termivo \\- temperature and humidity logging devices: downloads, month charts and reports
.SH SYNOPSIS
.B termivo
[\\fB\\-\\-root\\fR \\fIDIR\\fR] [\\fIREPORT_FILE\\fR]
.br
.B termivo
\\fIMODE\\fR [\\fIOPTIONS\\fR]
.br
.B termivo
\\fIMODE\\fR \\fB\\-\\-help\\fR
.br
.B termivo
\\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR
.SH DESCRIPTION
Termivo keeps the records of a fleet of temperature and humidity logging devices:
the device registry, hourly downloads into one report file per channel and Solar
Hijri year, month charts and tables with limits, daily minimum and maximum and
statistics, live monitoring and device configuration.
Without a mode it opens its main window (Persian, right to left), on
.I REPORT_FILE
when one is given.
The modes below run without a window, for timers, scripts and monitoring.
.PP
EOF
printf '%s\n' "$general" | verbatim
echo '.SH MODES'
for m in $modes; do
    printf '.SS %s\n' "$(printf '%s' "$m" | roff)"
    "$bin" "$m" --help | verbatim
done
cat <<EOF
.SH ENVIRONMENT
.TP
.B TERMIVO_ROOT
The root folder, when no \\fB\\-\\-root\\fR is given; it comes before the configuration file.
.TP
.B TERMIVO_SEARCH_ADDRESS
The address the device search is sent to (default: the network's broadcast address).
.TP
.B TERMIVO_NOW
A fixed moment "YYYY\\-MM\\-DDTHH:MM" taken as the current time, for tests and replays.
.TP
.BR LANG ", " LC_ALL
The regional settings: numbers are read with the locale's decimal separator too; the
window is Persian whatever the locale, the modes print English.
.SH FILES
.TP
.I $(printf '%s' "$conf" | roff)
The system configuration: the key \\fBroot\\fR names the root folder
(\\fIroot = /var/lib/termivo\\fR in the installed program).
.TP
.I /var/lib/termivo
The installed program's root folder, of the group \\fBtermivo\\fR, set\\-group\\-ID:
every member of the group reads and writes the same records, and the files Termivo
makes there are group\\-writable. Removing the package leaves it in place.
.TP
.I ROOT/DeviceStatus.txt
The device registry and the program's settings.
.TP
.I ROOT/last_refresh.txt
The refresh ledger: the last downloaded hour of each channel.
.TP
.I ROOT/YY/IDN_NAME.rep
The report files: one per channel and Solar Hijri year (YY), in the year's folder.
.TP
.I ROOT/dosdevices/comN
Links that give serial ports their COM names.
.TP
.I /usr/share/doc/termivo/Software Help.pdf
The help document, opened from the window's help menu when the root folder has none.
.SH EXIT STATUS
0 when done, 2 for a bad command line; each mode above lists its other statuses.
.SH SEE ALSO
.BR systemctl (1):
the package's units \\fItermivo\\-download.timer\\fR (hourly \\fB\\-\\-download\\-all\\fR) and
\\fItermivo\\-readings.timer\\fR (\\fB\\-\\-poll\\-once \\-\\-format prometheus\\fR every five
minutes, for the node exporter's textfile collector) are enabled with
\\fBsystemctl enable \\-\\-now\\fR.
EOF
} >"$out.tmp"
mv "$out.tmp" "$out"
