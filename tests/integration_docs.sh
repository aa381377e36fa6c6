#!/usr/bin/env bash
# Checks the integration guide against the built twpalm.dll: every message of
# its result code table is a text the library carries, exactly, and every
# error text the library carries is in the table; and against the installer's
# script: every line of its NSIS example is a line the script runs.
# Usage: integration_docs.sh <docs/integration.md> <twpalm.dll> <installer script>
set -u
exec perl -e '
    my ($guide, $dll, $script) = @ARGV;
    open my $in, "<", $guide or die "FAIL: cannot read $guide\n";
    my (@messages, @example, $in_example);
    while (<$in>) {
        if (/^```nsis/) { $in_example = 1; next; }
        if (/^```/) { $in_example = 0; next; }
        if ($in_example) { s/^\s+|\s+$//g; push @example, $_ if length; next; }
        next unless /^\| (-\d+|any other) \| ([^|]+?) \|/;
        my ($code, $message) = ($1, $2);
        $message =~ s/\\n/\n/g;
        push @messages, [$code, $message];
    }
    open my $bin, "<:raw", $dll or die "FAIL: cannot read $dll\n";
    my $binary = do { local $/; <$bin> };
    my $failures = 0;
    if (@messages < 28) { print "FAIL: the guide lists ", scalar @messages, " codes\n"; $failures++; }
    for (@messages) {
        my ($code, $message) = @$_;
        next if index($binary, "$message\0") >= 0;
        (my $shown = $message) =~ s/\n/\\n/g;
        print "FAIL: code $code: \"$shown\" is not a message of $dll\n";
        $failures++;
    }
    my %documented = map { $_->[1] => 1 } @messages;
    while ($binary =~ /(Error: [\x20-\x7e\n]+?)\0/g) {
        next if $documented{$1};
        (my $shown = $1) =~ s/\n/\\n/g;
        print "FAIL: \"$shown\" of $dll is not in the guide\n";
        $failures++;
    }
    open my $nsi, "<", $script or die "FAIL: cannot read $script\n";
    my %script_lines = map { s/^\s+|\s+$//gr => 1 } <$nsi>;
    if (!@example) { print "FAIL: the guide has no NSIS example\n"; $failures++; }
    for (@example) {
        next if $script_lines{$_};
        print "FAIL: the NSIS example line \"$_\" is not in $script\n";
        $failures++;
    }
    print $failures ? "$failures guide check(s) failed\n"
                    : scalar(@messages) . " messages as the library shows them, " . scalar(@example) . " lines of the installer\n";
    exit($failures ? 1 : 0);
' "$@"
