#!/bin/sh
# Converts large legacy network files with funnconv and mlpconv and reports
# the time, the legacy input read per second and the time per weight, for
# three sizes of each kind, so that linear growth with the number of weights
# shows as a steady time per weight.
#
#   bench/legacynet.sh BUILD_DIR [RUNS]
#
# BUILD_DIR holds funnconv and mlpconv (build them with
# -DCMAKE_BUILD_TYPE=Release). The files are generated in a temporary folder
# in the canonical legacy layouts: FuNN networks of 60 inputs of 7 membership
# functions, 5 outputs of 7 and 500, 1000 and 2000 rules; MLP networks of 500
# inputs, 50 outputs and 250, 500 and 1000 hidden neurons. Each conversion
# runs RUNS times (default 3); the median is reported.
set -eu
build=${1:?usage: bench/legacynet.sh BUILD_DIR [RUNS]}
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$build" "$work" "$runs" <<'PYTHON'
import os, statistics, subprocess, sys, time

build, work, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])

class Values:
    """Deterministic weights in [-1, 1) with six significant digits."""
    def __init__(self):
        self.state = 12345
    def next(self):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % (1 << 64)
        return "%14g" % ((self.state >> 11) / float(1 << 52) - 1.0)

def matrix(out, values, rows, columns):
    for i in range(rows):
        out.append("(%d)" % i + "".join(values.next() for _ in range(columns)) + "\r\n")

def funn(path, n, m, r, p, q):
    c, a = n * m, p * q
    values = Values()
    out = ["TITLE:  bench\r\n", "DESCRIPTION:  generated\r\n", "\r\n",
           "INPUTS:       %d\r\n" % n, "CONDITION:    %d\r\n" % c, "rule_layer:   %d\r\n" % r,
           "ACTION:       %d\r\n" % a, "OUTPUTS:      %d\r\n" % p, "EPOCHS:       1\r\n",
           "RMS_ERROR:    0.5\r\n", "\r\n", "PARAMETERS: Learning_Rate  Momentum  Gain_Term\r\n"]
    for layer in range(2, 6):
        out.append(" Layer %d:        0.5         0.1         1\r\n" % layer)
    out.append("\r\nFUZZIFIED:   Members       Min       Max     Width\r\n")
    for i in range(n):
        out.append(" Input %d:      %d             0         1       0.5\r\n" % (i + 1, m))
    for o in range(p):
        out.append(" Output %d:      %d             0         1       0.5\r\n" % (o + 1, q))
    out.append("\r\n Input  to  Condition Layer\r\n")
    matrix(out, values, n, m)
    out.append("\r\n Condition    to    Rule Layer\r\n")
    matrix(out, values, c, r)
    out.append("\r\n Rule    to     Action Layer\r\n")
    matrix(out, values, r, a)
    out.append("\r\n Action to Output Layer\r\n")
    matrix(out, values, a, 1)
    out.append(" \r\n")
    with open(path, "w", newline="") as f:
        f.write("".join(out))
    return c + c * r + r * a + a

def mlp(path, n, h, p):
    values = Values()
    out = ["TITLE:  bench\r\n", "DESCRIPTION:  generated\r\n", "\r\n",
           "INPUTS:       %d\r\n" % n, "HIDDEN:       %d\r\n" % h, "OUTPUTS:      %d\r\n" % p,
           "EPOCHS:       1\r\n", "RMS_ERROR:    0.5\r\n", "\r\n", " Input        Hidden layer\r\n"]
    matrix(out, values, n, h)
    out.append("\r\n Hidden        Output layer\r\n")
    matrix(out, values, h, p)
    out.append("\r\n Hidden Bias\r\n")
    matrix(out, values, h, 1)
    out.append("\r\n Output Bias\r\n")
    matrix(out, values, p, 1)
    out.append("\r\n")
    with open(path, "w", newline="") as f:
        f.write("".join(out))
    return n * h + h * p + h + p

jobs = []
for r in (500, 1000, 2000):
    path = os.path.join(work, "funn_%d.wts" % r)
    jobs.append(("funnconv", "FuNN 60x7, %4d rules, 5x7" % r, path, funn(path, 60, 7, r, 5, 7)))
for h in (250, 500, 1000):
    path = os.path.join(work, "mlp_%d.wts" % h)
    jobs.append(("mlpconv", "MLP 500 x %4d x 50" % h, path, mlp(path, 500, h, 50)))

print("%-30s %9s %9s %9s %8s %9s" % ("file", "MB", "weights", "seconds", "MB/s", "ns/weight"))
for program, name, path, weights in jobs:
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run([os.path.join(build, program), path, path + ".net"], check=True)
        times.append(time.perf_counter() - start)
    seconds = statistics.median(times)
    mb = os.path.getsize(path) / 1e6
    print("%-30s %9.2f %9d %9.3f %8.1f %9.1f" %
          (name, mb, weights, seconds, mb / seconds, seconds / weights * 1e9))
PYTHON
