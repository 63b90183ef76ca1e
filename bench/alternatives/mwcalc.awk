# mwcalc as a seismologist would write it in awk: Mo and Mw from the plateau
# level in t1.promedio; epi.dat must hold the epicentre. Run in the working
# directory: awk -f mwcalc.awk
function real(x,   s, e) {  # a real as the toolkit's free-format write gives it
  s = sprintf("%.8e", x); e = substr(s, index(s, "e") + 1) + 0
  return (e >= -1 && e < 9) ? sprintf("%#12.*f    ", 8 - e, x) : sprintf("%16.8E", x)
}
BEGIN {
  if ((getline < "epi.dat") <= 0 || (getline level < "t1.promedio") <= 0) { print "mwcalc.awk: missing input" > "/dev/stderr"; exit 1 }
  omega0 = 10 ^ level; mo = 33.929173 * 320000 ^ 3 * omega0 / (2 * 0.6324555); mw = log(mo) / log(10) / 1.5 - 10.73
  print " Nivel plano  " real(level); print " Nivel a la 10  " real(omega0); print " Mo =  " real(mo); print " Mw =  " real(mw)
  printf "%3.1f\n", mw > "mw.dat"
}
