# pickpair in awk: the first 100 picks of elocate.dat paired into the phase
# cards of fases.dat, each pick that is not an S pick with the last later pick
# of its station. awk -f pickpair.awk elocate.dat
NR > 100 { exit }
{
  n++; station[n] = substr($0, 1, 4); phase[n] = substr($0, 46, 1); onset[n] = substr($0, 44, 1)
  time[n] = substr($0, 13, 2) substr($0, 16, 2) substr($0, 19, 2) substr($0, 22, 2) substr($0, 25, 2)
  seconds[n] = substr($0, 28, 6) + 0; weight[n] = substr($0, 56, 1) + 0; motion[n] = substr($0, 58, 1)
}
END {
  for (i = 1; i <= n; i++) {
    print " Buscando en " station[i] phase[i]
    partner = 0
    for (j = i + 1; j <= n; j++)
      if (station[j] == station[i]) { print " Coincidencia en " station[i] phase[j]; partner = j }
    if (phase[i] == "S") continue
    if (partner == 0)
      printf "%s%s%s%s%d %s%5.2f\n", station[i], onset[i], phase[i], motion[i], weight[i], time[i], seconds[i] > "fases.dat"
    else
      printf "%s%s%s+%d %s%5.2f       %5.2f%s%s%s%d\n", station[i], onset[i], phase[i], weight[i], time[i], seconds[i],
        seconds[partner], onset[partner], phase[partner], motion[partner], weight[partner] > "fases.dat"
  }
  print "                 10" > "fases.dat"
}
