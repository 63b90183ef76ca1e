# pathfix in awk: the amplitudes of infile corrected for geometric spreading
# and anelastic attenuation, y = a R exp(pi f R / (Q(f) beta)) with
# Q(f) = 230 f^1.01, one per line in oufile; the path length R comes from the
# distances (km) in t1dhp. awk -f pathfix.awk infile
function real(x,   s, e) {  # a real as the toolkit's free-format write gives it
  s = sprintf("%.8e", x); e = substr(s, index(s, "e") + 1) + 0
  return (e >= -1 && e < 9) ? sprintf("%#12.*f    ", 8 - e, x) : sprintf("%16.8E", x)
}
BEGIN {
  if ((getline < "t1dhp") <= 0) { print "pathfix.awk: t1dhp: missing" > "/dev/stderr"; exit 1 }
  R = sqrt($1 * $1 + $2 * $2) * 100000; beta = 320000; pi = 3.14159
}
NR == 1 { step = $2; count = $3 - 1; if (count > 100000) { print "pathfix.awk: too many samples" > "/dev/stderr"; exit 1 }; next }
NR == 2 { next }
NR - 2 <= count {
  f += step
  print " " real($1 * R * exp(pi * f * R / (230 * f ^ 1.01 * beta))) > "oufile"
}
END { print " " real(count > 0 ? step : 0) }
