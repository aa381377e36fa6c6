#!/usr/bin/env bash
# Checks the compiled help file twpalm.chm: every page, the table of contents
# and the index are inside, the default topic is the welcome page, every link
# of the pages, the contents and the index leads to a page (and anchor) that
# exists, and the troubleshooting page carries the exact text of every message
# that the two libraries can show.
# Usage: check_help.sh <path to twpalm.chm>
# Needs enum_chmLib, extract_chmLib and test_chmLib (Debian package libchm-bin)
# and perl.
set -u
chm="${1:-}"
failures=0
checks=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { checks=$((checks + 1)); }
check() { # check <description> <command...>
    local what="$1"; shift
    checks=$((checks + 1))
    "$@" || fail "$what"
}

if [ -z "$chm" ] || [ ! -s "$chm" ]; then
    echo "FAIL: help file '${chm}' is missing or empty"
    echo "check_help: 1 check, 1 failure"
    exit 1
fi
for tool in enum_chmLib extract_chmLib test_chmLib perl; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "FAIL: $tool not found (install the Debian package libchm-bin)"
        echo "check_help: 1 check, 1 failure"
        exit 1
    fi
done

pages="welcome.htm install.htm users.htm apps.htm settings.htm datafile.htm
action.htm filters.htm conflicts.htm log.htm summary.htm trouble.htm
support.htm"
default_topic=welcome.htm

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# --- 1. The listing of the compiled file -----------------------------------
enum_chmLib "$chm" >"$tmp/listing" 2>&1
if ! grep -q '[[:space:]]/#SYSTEM$' "$tmp/listing"; then
    echo "FAIL: $chm is not a compiled HTML Help file (enum_chmLib cannot read it)"
    echo "check_help: 1 check, 1 failure"
    exit 1
fi
pass
for name in $pages twpalm.css twpalm.hhc twpalm.hhk; do
    check "/$name is not in $chm" grep -q "normal file[[:space:]]*/$name\$" "$tmp/listing"
done

# --- 2. The project settings kept in #SYSTEM --------------------------------
test_chmLib "$chm" /#SYSTEM "$tmp/system.bin" >/dev/null 2>&1
if [ -s "$tmp/system.bin" ]; then
    # Records after a 4-byte version: 16-bit code, 16-bit length, data.
    perl -e '
        local $/; open my $f, "<:raw", $ARGV[0] or die; my $d = <$f>;
        my $p = 4;
        while ($p + 4 <= length $d) {
            my ($c, $l) = unpack "vv", substr($d, $p, 4);
            my $v = substr($d, $p + 4, $l); $v =~ s/\0.*//s;
            print "$c=$v\n" if $c <= 3;
            $p += 4 + $l;
        }' "$tmp/system.bin" >"$tmp/system.txt"
    check "default topic is not $default_topic" grep -qx "2=$default_topic" "$tmp/system.txt"
    check "contents file is not twpalm.hhc" grep -qx "0=twpalm.hhc" "$tmp/system.txt"
    check "index file is not twpalm.hhk" grep -qx "1=twpalm.hhk" "$tmp/system.txt"
    check "title does not name Tidewell for Palm" grep -q "^3=.*Tidewell for Palm" "$tmp/system.txt"
else
    fail "cannot read /#SYSTEM of $chm"
fi

# --- 3. Extract everything --------------------------------------------------
extract_chmLib "$chm" "$tmp/x" >/dev/null 2>&1
for name in $pages twpalm.hhc twpalm.hhk twpalm.css; do
    check "extracted $name is missing or empty" test -s "$tmp/x/$name"
done

# --- 4. Contents, index and links -------------------------------------------
for page in $pages; do
    check "table of contents does not reference $page" \
        grep -Eq "<param name=\"Local\" value=\"$page(#[^\"]*)?\">" "$tmp/x/twpalm.hhc"
    check "$page has no <title>" grep -q "<title>[^<][^<]*</title>" "$tmp/x/$page"
    check "$page does not use twpalm.css" grep -q 'href="twpalm.css"' "$tmp/x/$page"
done
keywords=$(grep -c '<param name="Name"' "$tmp/x/twpalm.hhk" 2>/dev/null)
check "index has only $keywords keywords (at least 40 expected)" test "$keywords" -ge 40

# Every Local of the contents and the index, and every href of the pages,
# must name an extracted file and, with "#anchor", an <a name> in it.
perl -e '
    my ($dir, @files) = @ARGV; my $bad = 0; my $n = 0;
    sub slurp { local $/; open my $f, "<", "$dir/$_[0]" or return undef; <$f> }
    for my $file (@files) {
        my $text = slurp($file);
        my @targets = $file =~ /\.hh[ck]$/
            ? ($text =~ /<param name="Local" value="([^"]*)">/g)
            : ($text =~ /href="([^"]*)"/g);
        for my $t (@targets) {
            next if $t =~ /^(mailto|https?):/;
            $n++;
            my ($page, $anchor) = split /#/, $t, 2;
            $page = $file if $page eq "";
            my $target = slurp($page);
            if (!defined $target) { print "FAIL: $file links to missing $t\n"; $bad++; next; }
            if (defined $anchor && $target !~ /<a name="\Q$anchor\E">/) {
                print "FAIL: $file links to $t, but $page has no anchor $anchor\n"; $bad++;
            }
        }
    }
    print "links: $n checked\n";
    exit($bad ? 1 : 0);
' "$tmp/x" twpalm.hhc twpalm.hhk $pages >"$tmp/links.txt"
links_ok=$?
grep '^FAIL' "$tmp/links.txt"
checks=$((checks + 1))
[ "$links_ok" -eq 0 ] || failures=$((failures + $(grep -c '^FAIL' "$tmp/links.txt")))

# --- 5. Text checks ---------------------------------------------------------
# Each line: <page>|<text>. The page's text is compared as a reader sees it:
# tags dropped, entities decoded, runs of blanks made one, <br> a line break
# (written "\n" here; blanks next to a line break do not count).
cat >"$tmp/texts" <<'EOF'
trouble.htm|Do you want to synchronize Palm Date Book with Almanor?\n\nClick Yes to install synchronization module for Palm Date Book.
trouble.htm|Do you want to synchronize Palm To Do List with Almanor?\n\nClick Yes to install synchronization module for Palm To Do List.
trouble.htm|Error: Unknown Conduit Manager error!\n
trouble.htm|Error: Conduit Manager, index out of range!\n
trouble.htm|Error: Conduit Manager, unable to delete conduit!\n
trouble.htm|Error: Conduit Manager, conduit not previously installed!\n
trouble.htm|Error: Conduit Manager, out of memory!\n
trouble.htm|Error: Conduit Manager, creator id already in use!\n
trouble.htm|Error: Conduit Manager, unable to access registry!\n
trouble.htm|Error: Conduit Manager, unable to create conduit!\n
trouble.htm|Error: Conduit Manager, unable to set conduit value!\n
trouble.htm|Error: Conduit Manager, invalid handle passed!\n
trouble.htm|Error: Conduit Manager, buffer too small!\n
trouble.htm|Error: Conduit Manager, value not found!\n
trouble.htm|Error: Conduit Manager, invalid creator id!\n
trouble.htm|Error: Conduit Manager, invalid pointer passed!\n
trouble.htm|Error: Conduit Manager, unable to install conduit!\n
trouble.htm|Error: Conduit Manager, invalid conduit type!\n
trouble.htm|Error: Conduit Manager, invalid COM port type!\n
trouble.htm|Error: Conduit Manager, function no longer supported!\n
trouble.htm|Error: CondMgr.dll not included with installer!\n
trouble.htm|Error: invalid CondMgr.dll!\n
trouble.htm|Error: HSAPI.dll not found!\n
trouble.htm|Error: conduit not found!\n
trouble.htm|Error: HotSync in progress!\n
trouble.htm|Error: UserData.dll not found!\n
trouble.htm|Error: Reinstall Tidewell for Palm! [1]\n
trouble.htm|Error: You must install the Palm Desktop 3.1 or higher software to synchronize your data with handhelds!\n
trouble.htm|Error: Reinstall Tidewell for Palm! [2]\n
trouble.htm|Unknown error occurred: 0xhhhhhhhh ( number )
trouble.htm|Cannot load the program because there are no some components. [#3001]\n\nPlease reinstall Tidewell for Palm.
trouble.htm|You must install the Palm Desktop 3.1 or higher software to synchronize your data with handhelds.\n\nWe recommend synchronizing with the Palm Desktop before installing Tidewell for Palm \nto insure the HotSync Manager is functioning properly.
trouble.htm|Select a data file.
trouble.htm|Not enough storage is available to complete this operation.
trouble.htm|The filename, directory name, or volume label syntax is incorrect.
trouble.htm|The summary was not sent. Please send the file\r\n\r\n'path of the summary file'\r\n\r\nto support@tidewell.example.com.
trouble.htm|Unknown error has occurred: 0xhhhhhhhh.\nPlease send a copy of this information to support@tidewell.example.com
install.htm|Do you want to synchronize Palm Date Book with Almanor?\n\nClick Yes to install synchronization module for Palm Date Book.
install.htm|Do you want to synchronize Palm To Do List with Almanor?\n\nClick Yes to install synchronization module for Palm To Do List.
install.htm|Palm Desktop 3.1 or later
install.htm|Synchronize your handheld with Palm Desktop at least once
install.htm|closed and then started again
install.htm|registered again
welcome.htm|Date Book
welcome.htm|To Do List
welcome.htm|HotSync Manager
users.htm|Tidewell for Palm Settings
users.htm|Select a user
users.htm|Settings...
users.htm|About...
users.htm|Help
users.htm|Close
users.htm|Summary...
apps.htm|Select a Palm handheld application
apps.htm|Change...
settings.htm|Settings for Palm Date Book
settings.htm|Settings for Palm To Do List
settings.htm|View Log
datafile.htm|Browse...
datafile.htm|Open Data File
datafile.htm|Almanor data file
datafile.htm|.al0
datafile.htm|used by both the Date Book and the To Do List conduit
action.htm|Permanent Action
action.htm|One-time Action
action.htm|applies to the next HotSync only
action.htm|Synchronize
action.htm|Almanor overwrites Handheld
action.htm|Handheld overwrites Almanor
action.htm|Do Nothing
filters.htm|Synchronize Hidden items with the handheld
filters.htm|Synchronize Private records with Almanor
conflicts.htm|Duplicate records
conflicts.htm|Almanor wins
conflicts.htm|Handheld wins
log.htm|_log.txt
log.htm|C:\Cal\Home_dates_jane_o_neil_log.txt
log.htm|.txt
summary.htm|Copy to Clipboard
summary.htm|Send Report...
summary.htm|support@tidewell.example.com
summary.htm|summary-number.txt
summary.htm|temporary folder
summary.htm|HOTSYNC.EXE
summary.htm|TWPALMUI.DLL
summary.htm|MAPI32.DLL
summary.htm|HKEY_CURRENT_USER\Software\Quillon Software\Orvelle
summary.htm|HKEY_CURRENT_USER\Software\U.S. Robotics\Pilot Desktop\Core
support.htm|support@tidewell.example.com
EOF
perl -e '
    my ($dir, $list) = @ARGV; my %norm; my ($n, $bad) = (0, 0);
    sub norm {
        my $t = shift;
        $t =~ s/<!--.*?-->//gs;
        $t =~ s/\s+/ /g;
        $t =~ s/<br\s*\/?>/\n/gi;
        $t =~ s/<[^>]*>//g;
        my %ent = (amp => "&", lt => "<", gt => ">", quot => "\"", nbsp => " ", "#39" => "\x27");
        $t =~ s/&(amp|lt|gt|quot|nbsp|#39);/$ent{$1}/g;
        $t =~ s/ *\n */\n/g;
        return $t;
    }
    open my $l, "<", $list or die;
    while (my $line = <$l>) {
        chomp $line; next if $line eq "";
        my ($page, $want) = split /\|/, $line, 2;
        $n++;
        if (!exists $norm{$page}) {
            local $/; open my $f, "<", "$dir/$page" or do { print "FAIL: $page missing\n"; $bad++; next };
            $norm{$page} = norm(scalar <$f>);
        }
        my $w = $want;
        $w =~ s/\\r\\n/\n/g; $w =~ s/\\n/\n/g; $w =~ s/\n+$//; $w =~ s/ *\n */\n/g;
        if (index($norm{$page}, $w) < 0) { print "FAIL: $page lacks the text: $want\n"; $bad++; }
    }
    print "texts: $n checked\n";
    exit($bad ? 1 : 0);
' "$tmp/x" "$tmp/texts" >"$tmp/texts.txt"
texts_ok=$?
grep '^FAIL' "$tmp/texts.txt"
texts_checked=$(sed -n 's/^texts: \([0-9]*\) checked$/\1/p' "$tmp/texts.txt")
checks=$((checks + ${texts_checked:-0}))
[ "$texts_ok" -eq 0 ] || failures=$((failures + $(grep -c '^FAIL' "$tmp/texts.txt")))
[ -n "$texts_checked" ] || fail "the text check did not run"

# --- 6. House rules for every page -----------------------------------------
for name in $pages twpalm.hhc twpalm.hhk twpalm.css; do
    [ -s "$tmp/x/$name" ] || continue # reported above
    check "$name contains bytes outside plain ASCII" \
        perl -ne '$bad = 1 if /[^\x09\x0a\x0d\x20-\x7e]/; END { exit($bad ? 1 : 0) }' "$tmp/x/$name"
    check "$name mentions the product's design documents" \
        perl -ne '$bad = 1 if /\bspec(ification)?s?\b|\bPart [0-9]+\.[0-9]+/i; END { exit($bad ? 1 : 0) }' "$tmp/x/$name"
done

echo "check_help: $checks checks, $failures failures ($(grep -c . "$tmp/texts") texts, $(sed -n 's/^links: //p' "$tmp/links.txt") links) in $chm"
[ "$failures" -eq 0 ]
