# stalist as a seismologist would write it in awk: the first 100 entries of
# tempo2.dat (code, longitude and latitude as degrees and minutes, elevation)
# as fixed-column station lines in estaciones_2.txt. awk -f stalist.awk tempo2.dat
NR > 100 { exit }
NF >= 6 { printf "%-4.4s  IS  VNE  %2d%8.4f %3d%8.4f %4d0.0     0.00  0.00  0.00  0.00 0  1.00--SHE\n", $1, $4, $5, $2, $3, $6 > "estaciones_2.txt" }
