#!/usr/bin/env bash
# Checks the integration guide against the built twpalm.dll: every message of
# its result code table is a text the library carries, exactly, and every
# error text the library carries is in the table.
# Usage: integration_docs.sh <docs/integration.md> <twpalm.dll>
set -u
exec perl -e '
    my ($guide, $dll) = @ARGV;
    open my $in, "<", $guide or die "FAIL: cannot read $guide\n";
    my @messages;
    while (<$in>) {
        next unless /^\| (-?\d+|any other) \| ([^|]+?) \|/;
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
    print $failures ? "$failures guide check(s) failed\n" : scalar(@messages) . " messages as the library shows them\n";
    exit($failures ? 1 : 0);
' "$@"
