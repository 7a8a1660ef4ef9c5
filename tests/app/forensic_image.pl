#!/usr/bin/perl
# The tree of the forensic test, and the search for its traces in a raw
# file-system image.
#   forensic_image.pl fill <folder>   makes the tree and the sentinel in <folder>
#   forensic_image.pl scan <image>    prints what of them the image still holds:
#     "blocks <found> <total> names <ansi> <utf16> <count> sentinel <found> <total>
#      left <name>:<size>:<blocks>,... (or -)"
# Every 512-byte block of a file begins with the file's marker and the block's
# number, so each file-system block that survives holds at least one marker
# whatever the file system's block size; the smallest files are kept in the
# file record itself on NTFS. The names are uncommon words, so that a name
# found on the image can only be a trace of the file.
use strict;
use warnings;

my $tag = '#Kq7';
# marker letter, path below the folder, size in bytes
my @tree = (
  ['a', 'tree/Vorbelq-Ledger.txt',                                 5],
  ['b', 'tree/Quazmir-Notes.txt',                                  90],
  ['c', 'tree/Plixtor-Memo.txt',                                   600],
  ['d', 'tree/Drennick-Table.csv',                                 4000],
  ['e', 'tree/Zorbinth-Chunk.bin',                                 65025],
  ['f', 'tree/Yellowmarch/Krastel-Report.doc',                     300000],
  ['g', 'tree/Yellowmarch/Ombrivale/Fennigor-Archive.dat',         3 << 20],
  ['h', 'tree/Oxtangle/Murvain-Image.raw',                         6 << 20],
);
my $sentinel = ['S', 'Sentinel-Halvorn.txt', 64 << 10];

sub content {
  my ($letter, $size) = @_;
  my $data = '';
  for (my $block = 0; $block * 512 < $size; ++$block) {
    my $head = sprintf('%s%sB%06d;', $tag, $letter, $block);
    $data .= $head . (uc($letter) x (512 - length $head));
  }
  return substr($data, 0, $size);
}

# The markers a file holds: a last block too short for one holds none.
sub markers {
  my ($size) = @_;
  return int($size / 512) + ($size % 512 >= length($tag) + 1 ? 1 : 0);
}

sub fill {
  my ($root) = @_;
  for my $file (@tree, $sentinel) {
    my ($letter, $path, $size) = @$file;
    my $full = "$root/$path";
    (my $dir = $full) =~ s{/[^/]*$}{};
    system('mkdir', '-p', $dir) == 0 or die "cannot make $dir\n";
    open(my $out, '>:raw', $full) or die "cannot write $full: $!\n";
    print $out content($letter, $size);
    close($out) or die "cannot write $full: $!\n";
  }
}

sub scan {
  my ($image) = @_;
  open(my $in, '<:raw', $image) or die "cannot read $image: $!\n";
  local $/;
  my $raw = <$in>;
  close($in);
  my %found;
  $found{$1}++ while $raw =~ /\Q$tag\E([a-zS])/g;
  my ($blocks, $total, $ansi, $utf16, @left) = (0, 0, 0, 0);
  for my $file (@tree) {
    my ($letter, $path, $size) = @$file;
    $blocks += $found{$letter} // 0;
    $total += markers($size);
    (my $name = $path) =~ s{.*/}{};
    push @left, "$name:$size:$found{$letter}" if $found{$letter};
    ++$ansi if index($raw, $name) >= 0;
    ++$utf16 if index($raw, join('', map { "$_\0" } split //, $name)) >= 0;
  }
  printf("blocks %d %d names %d %d %d sentinel %d %d left %s\n", $blocks, $total, $ansi, $utf16,
         scalar @tree, $found{S} // 0, markers($sentinel->[2]), join(',', @left) || '-');
}

my ($command, $where) = @ARGV;
die "usage: forensic_image.pl fill <folder> | scan <image>\n" unless defined $where;
if ($command eq 'fill') { fill($where); }
elsif ($command eq 'scan') { scan($where); }
else { die "unknown command $command\n"; }
