#!/usr/bin/perl
# The tree of the forensic test, and the search for its traces in a raw
# file-system image.
#   forensic_image.pl fill <folder>   makes the tree and the sentinel in <folder>
#   forensic_image.pl tips <image> <cluster size>
#       writes marks into the slack after the end of some files, up to the end
#       of their last cluster, straight into the unmounted image
#   forensic_image.pl scan <image>    prints what of them the image still holds:
#     "blocks <found> <total> names <ansi> <utf16> <count> sentinel <found> <total>
#      tips <marks> left <name>:<size>:<blocks>,... (or -)"
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
# The files whose last cluster gets marks after their end (marker letter T).
my @tipped = qw(d e f);
my $tipMark = "${tag}T;";

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

sub slurp {
  my ($image) = @_;
  open(my $in, '<:raw', $image) or die "cannot read $image: $!\n";
  local $/;
  my $raw = <$in>;
  close($in);
  return $raw;
}

sub tips {
  my ($image, $cluster) = @_;
  my $raw = slurp($image);
  open(my $out, '+<:raw', $image) or die "cannot write $image: $!\n";
  for my $file (@tree) {
    my ($letter, $path, $size) = @$file;
    next unless grep { $_ eq $letter } @tipped;
    # The last marker is found once: where the file's data lies. The file's
    # end lies in the same cluster.
    my $last = markers($size) - 1;
    die "$path: its last marker and its end lie in different clusters\n"
      if int($last * 512 / $cluster) != int(($size - 1) / $cluster);
    my $marker = sprintf('%s%sB%06d;', $tag, $letter, $last);
    my $at = index($raw, $marker);
    die "$path: its last block is not on the image once\n"
      if $at < 0 || index($raw, $marker, $at + 1) >= 0;
    my $end = $at + $size - $last * 512;
    my $slack = ($cluster - $end % $cluster) % $cluster;
    die "$path ends at the end of a cluster\n" if $slack < length $tipMark;
    seek($out, $end, 0) or die "cannot seek in $image\n";
    print $out substr($tipMark x $slack, 0, $slack);
  }
  close($out) or die "cannot write $image: $!\n";
}

sub scan {
  my ($image) = @_;
  my $raw = slurp($image);
  my %found;
  $found{$1}++ while $raw =~ /\Q$tag\E([a-zST])/g;
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
  printf("blocks %d %d names %d %d %d sentinel %d %d tips %d left %s\n", $blocks, $total, $ansi,
         $utf16, scalar @tree, $found{S} // 0, markers($sentinel->[2]), $found{T} // 0,
         join(',', @left) || '-');
}

my ($command, $where, $option) = @ARGV;
die "usage: forensic_image.pl fill <folder> | tips <image> <cluster> | scan <image>\n"
  unless defined $where;
if ($command eq 'fill') { fill($where); }
elsif ($command eq 'tips' && $option) { tips($where, $option); }
elsif ($command eq 'scan') { scan($where); }
else { die "unknown command $command\n"; }
