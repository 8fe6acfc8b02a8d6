#!/usr/bin/env python3
"""The code a start runs lies side by side in the program.

Arguments: the program and its start-up list (app/startup-order.txt). The functions of the list
that the program holds must span little more than their own size, and the list must still name
the program's functions: when it does not, write it anew with bench/startup-order.sh.
"""
import subprocess
import sys

program, listing = sys.argv[1], sys.argv[2]
wanted = {line.strip() for line in open(listing, encoding="utf-8") if line.strip()}
table = subprocess.run(["nm", "-S", "--defined-only", program],
                       capture_output=True, text=True, check=True).stdout
places = {}
for line in table.splitlines():
    fields = line.split(" ", 3)
    if len(fields) == 4 and fields[2] in "tTwW":
        places.setdefault(fields[3], (int(fields[0], 16), int(fields[1], 16)))

found = {places[name] for name in wanted if name in places}   # aliases share one place
named = sum(1 for name in wanted if name in places)
if named < 0.9 * len(wanted):
    sys.exit(f"the start-up list is stale: {len(wanted) - named} of its {len(wanted)} "
             "functions are not in the program (run bench/startup-order.sh)")
start = min(address for address, _ in found)
end = max(address + size for address, size in found)
size = sum(size for _, size in found)
if end - start > 1.25 * size:
    sys.exit(f"the start-up functions ({size} bytes) are spread over {end - start} bytes "
             "of the program's code")
print(f"{named} start-up functions, {size} bytes, within {end - start} bytes")
