# hypomean in awk: up to ten location records of t1 (four reals, six
# integers) echoed, then the mean of each real and the error of that mean
# (population standard deviation over the square root of the count), and the
# integers of the first record, in res.dat. awk -f hypomean.awk t1
function real(x,   s, e) {  # a real as the toolkit's free-format write gives it
  s = sprintf("%.8e", x); e = substr(s, index(s, "e") + 1) + 0
  return (e >= -1 && e < 9) ? sprintf("%#12.*f    ", 8 - e, x) : sprintf("%16.8E", x)
}
n == 10 { exit }
NF >= 10 {
  n++
  for (k = 1; k <= 4; k++) { x[n, k] = $k; sum[k] += $k }
  if (n == 1) for (k = 5; k <= 10; k++) first[k] = $k
  printf " %s %s %s %s %11d %11d %11d %11d %11d %11d\n", real($1), real($2), real($3), real($4), $5, $6, $7, $8, $9, $10
}
END {
  printf " Promediando  %11d  datos\n", n
  for (k = 1; k <= 4; k++) {
    mean[k] = sum[k] / n; deviations = 0
    for (i = 1; i <= n; i++) deviations += (mean[k] - x[i, k]) ^ 2
    error[k] = sqrt(deviations) / n
  }
  printf "%8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %4d %4d %4d %4d %4d %4d\n", mean[1], error[1], mean[2], error[2],
    mean[3], error[3], mean[4], error[4], first[5], first[6], first[7], first[8], first[9], first[10] > "res.dat"
}
