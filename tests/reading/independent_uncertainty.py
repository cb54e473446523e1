#!/usr/bin/python3
"""Holds kestrane-cli's uncertainty to a model of its own: the correction written
again from its published formula, differentiated by central differences, the
GUM's propagation with correlations, Welch-Satterthwaite and Student's t from
scipy, the model terms from IAPWS's saturation line and the standard atmosphere
written here, and Monte Carlo drawn by numpy. Nothing here calls or copies the
program's code: a fault in either shows as a disagreement.

Usage: independent_uncertainty.py KESTRANE_CLI
"""
import json
import math
import subprocess
import sys
from decimal import ROUND_HALF_EVEN, Decimal

import numpy as np
from scipy import stats

CLI = sys.argv[1]
FIELDS = ["gas", "target-pressure", "barometric-pressure", "temperature", "altitude", "humidity"]
COLUMNS = ["target_gas", "target_pressure", "barometric_pressure", "temperature", "altitude", "relative_humidity"]
DEFAULTS = [20.95, 30.0, 30.0, 75.0, 0.0, 50.0]
RESULTS = ["calculated_gas_pct", "calculated_gas_pressure", "vapor_pressure_pct", "corrected_barometer"]
# Pressure units to inches of mercury (divide), temperature to Fahrenheit, metres to feet.
PRESSURE = {"inHg": 1.0, "hPa": 33.8637, "mmHg": 25.4}
PA_PER_INHG = 3386.389
DIVISOR = {"normal": 1.0, "rectangular": math.sqrt(3), "triangular": math.sqrt(6), "arcsine": math.sqrt(2)}


# ------------------------------------------------------------------ the correction

def to_internal(x, units):
    g, pt, b, t, a, h = x
    p = PRESSURE[units["pressure"]]
    t_f = 1.8 * t + 32 if units["temperature"] == "C" else t
    a_ft = a * 3.2808 if units["distance"] == "m" else a
    return g, pt / p, b / p, t_f, a_ft, h


def saturation(t_f):
    return (((1.54854e-8 * t_f - 9.76951e-7) * t_f + 0.000126819) * t_f + 0.000385377) * t_f + 0.0538397


def height_ratio(t_f, a_ft):
    k = ((t_f - 32) * 0.0022222 + 1) * 1600000
    z = 30.48 * a_ft
    return (k - z) / (k + z)


def results(x, units, d_vapor=0.0, d_altitude=0.0):
    """The four results; the model terms d_* are in the chosen pressure unit."""
    g, pt, b, t_f, a_ft, h = to_internal(x, units)
    p = PRESSURE[units["pressure"]]
    v = h / 100 * saturation(t_f) + d_vapor / p
    b_c = b * height_ratio(t_f, a_ft) + d_altitude / p
    cb = b_c - v
    gas = cb / pt * g
    return np.array([gas, gas / 100 * pt * p, v / b * 100, cb])


# ------------------------------------------------------------------ the model terms

def iapws_saturation_pa(t_k):
    tc, pc = 647.096, 22.064e6
    tau = 1 - t_k / tc
    a = [-7.85951783, 1.84408259, -11.7866497, 22.6807411, -15.9618719, 1.80122502]
    e = [1, 1.5, 3, 3.5, 4, 7.5]
    return pc * math.exp(tc / t_k * sum(ai * tau ** ei for ai, ei in zip(a, e)))


def vapor_half_width(x, units):
    g, pt, b, t_f, a_ft, h = to_internal(x, units)
    p_station = b * height_ratio(t_f, a_ft) * PA_PER_INHG
    low, high = min(32.0, t_f), max(122.0, t_f)
    worst = 0.0
    for tf in np.linspace(low, high, int((high - low) * 20) + 1):
        tc = (tf - 32) / 1.8
        f = 1.00062 + 3.14e-8 * p_station + 5.6e-7 * tc * tc
        worst = max(worst, abs(f * iapws_saturation_pa(tc + 273.15) / PA_PER_INHG - saturation(tf)))
    return h / 100 * worst


def altitude_half_width(x, units):
    g, pt, b, t_f, a_ft, h = to_internal(x, units)
    standard = (1 - 0.0065 * a_ft * 0.3048 / 288.15) ** 5.25588
    return b * abs(standard - height_ratio(t_f, a_ft))


# ------------------------------------------------------------------ the budget

def budget(x, units, u, dof, correlations, probability):
    """u_c, nu_eff and k of each result; u holds the six inputs' standard uncertainties."""
    p = PRESSURE[units["pressure"]]
    model = [vapor_half_width(x, units) * p / math.sqrt(3), altitude_half_width(x, units) * p / math.sqrt(3)]
    stds = list(u) + model
    dofs = list(dof) + [math.inf, math.inf]
    r = np.eye(8)
    for (i, j), rij in correlations.items():
        r[i, j] = r[j, i] = rij
    c = np.zeros((4, 8))
    for q in range(8):
        step = 1e-6 * max(abs(x[q]), 1.0) if q < 6 else 1e-6
        up, down = list(x) + [0.0, 0.0], list(x) + [0.0, 0.0]
        up[q] += step
        down[q] -= step
        c[:, q] = (results(up[:6], units, *up[6:]) - results(down[:6], units, *down[6:])) / (2 * step)
    out = []
    for res in range(4):
        cu = c[res] * np.array(stds)
        variance = max(float(cu @ r @ cu), 0.0)
        denominator = sum(cu[q] ** 4 / dofs[q] for q in range(8) if cu[q] != 0 and math.isfinite(dofs[q]))
        nu = math.inf if denominator == 0 else max(1, math.floor(variance ** 2 / denominator))
        k = 2.0 if probability is None else float(stats.t.ppf((1 + probability) / 2, nu))
        out.append((math.sqrt(variance), nu, k))
    return out


def rounded_to(value, expanded_text):
    """The value rounded to the last significant digit of U's text (two significant digits)."""
    digits = Decimal(expanded_text)
    exponent = digits.adjusted() - 1  # the place of the second significant digit
    return str(Decimal(value).quantize(Decimal(1).scaleb(exponent), rounding=ROUND_HALF_EVEN)) if exponent < 0 \
        else str(int(Decimal(value).quantize(Decimal(1).scaleb(exponent), rounding=ROUND_HALF_EVEN)))


# ------------------------------------------------------------------ cases

def case(name, uncertainties=(), dof=(), correlations=(), coverage=None, values=None, units=None, mc=None):
    return dict(name=name, u=dict(uncertainties), dof=dict(dof), corr=dict(correlations), coverage=coverage,
                values=values or {}, units=units or {}, mc=mc)


CASES = [
    case("the README's budget", {"gas": "0.05", "barometric-pressure": "0.02", "temperature": "0.5", "humidity": "2"}),
    case("one barometer for both pressures", {"target-pressure": "0.02", "barometric-pressure": "0.02"},
         correlations={("barometric-pressure", "target-pressure"): 1.0}),
    case("shapes", {"barometric-pressure": "0.05:rectangular", "temperature": "1:triangular", "humidity": "3:arcsine"},
         mc=200000),
    case("degrees of freedom at 95 %", {"gas": "0.05", "barometric-pressure": "0.02"},
         dof={"gas": "4", "barometric-pressure": "10"}, coverage="0.95"),
    case("other units, partly correlated", {"target-pressure": "1", "barometric-pressure": "0.5:rectangular",
                                            "temperature": "0.3", "altitude": "5"},
         dof={"temperature": "6"}, correlations={("target-pressure", "barometric-pressure"): 0.5}, coverage="0.9",
         values={"target-pressure": "1013", "barometric-pressure": "1000", "temperature": "25", "altitude": "1000"},
         units={"pressure": "hPa", "temperature": "C", "distance": "m"}),
    case("hot and humid, outside the vapour curve's range", {"temperature": "1"},
         values={"temperature": "180", "humidity": "90"}),
    case("at 5000 ft", {"barometric-pressure": "0.02"}, values={"altitude": "5000"}),
    case("99 % and infinite degrees of freedom", {"gas": "0.05"}, coverage="0.99"),
    case("correlated normal draws", {"target-pressure": "0.05", "barometric-pressure": "0.05"},
         correlations={("barometric-pressure", "target-pressure"): 0.8}, mc=200000),
]


def command(c):
    args = [CLI, "--format", "json"]
    for f, text in c["values"].items():
        args += ["--" + f, text]
    for kind, unit in c["units"].items():
        args += [f"--{kind}-unit", unit]
    for f, text in c["u"].items():
        args += ["--u-" + f, text]
    for f, text in c["dof"].items():
        args += ["--dof-" + f, text]
    for (a, b), r in c["corr"].items():
        args += ["--correlation", f"{a},{b}={r:g}"]
    if c["coverage"]:
        args += ["--coverage", c["coverage"]]
    if c["mc"]:
        args += ["--monte-carlo", str(c["mc"])]
    return args


def inputs_of(c):
    x = [float(np.float32(c["values"].get(f, str(d)))) for f, d in zip(FIELDS, DEFAULTS)]
    if c["units"].get("temperature") == "C" and "temperature" not in c["values"]:
        raise ValueError("give the temperature with Celsius")
    u, dof = [], []
    for f in FIELDS:
        text = c["u"].get(f, "0")
        value, _, shape = text.partition(":")
        u.append(float(value) / DIVISOR[shape or "normal"])
        dof.append(float(c["dof"].get(f, "inf")))
    corr = {(FIELDS.index(a), FIELDS.index(b)): r for (a, b), r in c["corr"].items()}
    units = {"pressure": c["units"].get("pressure", "inHg"), "temperature": c["units"].get("temperature", "F"),
             "distance": c["units"].get("distance", "ft")}
    return x, u, dof, corr, units


def draws(x, u, shapes, corr, units, m, rng):
    """numpy's own Monte Carlo of the Calculated Gas, model terms drawn rectangular."""
    n = 6
    r = np.eye(n)
    for (i, j), rij in corr.items():
        r[i, j] = r[j, i] = rij
    eps = np.empty((n, m))
    for i, shape in enumerate(shapes):
        if shape == "rectangular":
            eps[i] = rng.uniform(-math.sqrt(3), math.sqrt(3), m)
        elif shape == "triangular":
            eps[i] = rng.triangular(-math.sqrt(6), 0, math.sqrt(6), m)
        elif shape == "arcsine":
            eps[i] = math.sqrt(2) * np.sin(math.pi * (rng.uniform(size=m) - 0.5))
        else:
            eps[i] = rng.standard_normal(m)
    mixed = np.linalg.cholesky(r + 1e-15 * np.eye(n)) @ eps
    p = PRESSURE[units["pressure"]]
    xs = [x[i] + u[i] * mixed[i] for i in range(n)]
    dv = rng.uniform(-1, 1, m) * vapor_half_width(x, units) * p
    da = rng.uniform(-1, 1, m) * altitude_half_width(x, units) * p
    gas = results(xs, units, dv, da)[0]
    keep = (xs[5] >= 0) & (xs[5] <= 100) & (xs[0] > 0) & (xs[1] > 0) & (xs[2] > 0)
    return gas[keep]


def check(c, failures):
    x, u, dof, corr, units = inputs_of(c)
    reply = json.loads(subprocess.run(command(c), capture_output=True, text=True, check=True).stdout)
    unc = reply["uncertainty"]
    probability = float(c["coverage"]) if c["coverage"] else None
    for key, (u_c, nu, k) in zip(RESULTS, budget(x, units, u, dof, corr, probability)):
        got = unc[key]
        got_nu = got["effective_degrees_of_freedom"]
        got_nu = math.inf if got_nu is None else got_nu
        value = reply["results"][key]["value"]
        for what, ours, theirs, tolerance in [("u_c", u_c, got["standard"], 2e-6),
                                              ("k", k, got["coverage_factor"], 1e-9),
                                              ("U", k * u_c, got["expanded"], 2e-6),
                                              ("nu_eff", nu, got_nu, 0)]:
            if not (ours == theirs or abs(ours - theirs) <= tolerance * abs(ours)):
                failures.append(f"{c['name']}: {key} {what} {theirs!r}, independently {ours!r}")
        if got["value_text"] != rounded_to(value, got["expanded_text"]):
            failures.append(f"{c['name']}: {key} stated as {got['value_text']} with U {got['expanded_text']}")
    if c["mc"]:
        shapes = [(c["u"].get(f, "0").partition(":")[2] or "normal") for f in FIELDS]
        ours = draws(x, u, shapes, corr, units, c["mc"], np.random.default_rng(7))
        mc = reply["monte_carlo"]
        sd = float(np.std(ours, ddof=1))
        low, high = np.quantile(ours, [0.025, 0.975])
        for what, theirs, mine, tolerance in [("standard deviation", mc["standard_deviation"], sd, 0.02 * sd),
                                              ("mean", mc["mean"], float(np.mean(ours)), 0.02 * sd),
                                              ("low end", mc["coverage_interval"][0], low, 0.04 * sd),
                                              ("high end", mc["coverage_interval"][1], high, 0.04 * sd)]:
            if abs(theirs - mine) > tolerance:
                failures.append(f"{c['name']}: Monte Carlo {what} {theirs!r}, numpy {mine!r}")


def run(cases, check_case):
    """Checks every case, prints each disagreement and a count; the exit status."""
    failures = []
    for c in cases:
        check_case(c, failures)
    for f in failures:
        print(f)
    print(f"{len(cases)} cases, {len(failures)} disagreements")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(run(CASES, check))
