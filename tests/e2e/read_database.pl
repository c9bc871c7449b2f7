#!/usr/bin/perl
# Reads a database with Palm::PDB, a reader this project did not write, and
# reports what it found: name, type, creator and record count, one a line,
# then writes the records joined end to end to the second file.
use strict;
use warnings;
use Palm::PDB;
use Palm::Raw;

my ($database, $joined) = @ARGV;
die "usage: read_database.pl DATABASE JOINED\n" unless defined $joined;

my $pdb = Palm::PDB->new;
$pdb->Load($database);
print "name=$pdb->{name}\n";
print "type=$pdb->{type}\n";
print "creator=$pdb->{creator}\n";
print "records=", scalar @{ $pdb->{records} }, "\n";

open my $out, '>:raw', $joined or die "cannot write $joined: $!\n";
print {$out} $_->{data} for @{ $pdb->{records} };
close $out or die "cannot close $joined: $!\n";
