# colspace in awk: the thirteen packed columns of the first 10000 lines of
# varios.dat, one blank apart, in salida_varios.dat. awk -f colspace.awk varios.dat
NR > 10000 { exit }
{
  printf "%-8s %-5s %-6s %-3s %-6s %-4s %-6s %-7s %-7s %-3s %-4s %-5s %-5s\n", substr($0, 1, 8), substr($0, 9, 5),
    substr($0, 14, 6), substr($0, 20, 3), substr($0, 23, 6), substr($0, 29, 4), substr($0, 33, 6), substr($0, 39, 7),
    substr($0, 46, 7), substr($0, 53, 3), substr($0, 56, 4), substr($0, 60, 5), substr($0, 65, 5) > "salida_varios.dat"
}
