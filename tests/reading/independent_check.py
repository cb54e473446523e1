#!/usr/bin/python3
"""Holds kestrane-cli's analyzer check to a computation of its own: the
error's uncertainty from the separate model of the budget
(independent_uncertainty.py), Welch-Satterthwaite, and the decision and the
probability of conformity from scipy's normal and Student's t distributions
(JCGM 106:2012 clause 7; ILAC-G8:09/2019's simple and guarded rules).

Usage: independent_check.py KESTRANE_CLI
"""
import importlib.util
import json
import math
import pathlib
import subprocess
import sys

from scipy import stats

CLI = sys.argv[1]
found = importlib.util.spec_from_file_location("model", pathlib.Path(__file__).with_name("independent_uncertainty.py"))
model = importlib.util.module_from_spec(found)
found.loader.exec_module(model)

# reading, as left, the analyzer's u, tolerance, rule, the inputs' options
CASES = [
    ("20.7", None, "0.02", "0.1", "simple", ["--u-gas", "0.1"]),
    ("20.7", "20.66", "0.02", "0.3", "guarded", ["--u-gas", "0.1", "--dof-gas", "4", "--coverage", "0.95"]),
    ("20.7", None, "0", "0.5", "guarded", ["--u-gas", "0.05", "--u-barometer", "0.02"]),
    ("21.0", "20.6", "0.01", "0.2", "simple", ["--u-gas", "0.05"]),
    ("20.64", None, None, "0.05", "simple", []),
    ("20.5", "20.62", "0.05:rectangular", "0.25", "guarded",
     ["--u-gas", "0.05", "--dof-gas", "9", "--coverage", "0.99"]),
    ("22", None, "0.01", "0.1", "simple", ["--u-gas", "0.05"]),
    ("19.9", None, "0.03", "1", "guarded", ["--altitude", "2000", "--u-barometer", "0.03"]),
]
DIVISOR = {"normal": 1.0, "rectangular": math.sqrt(3), "triangular": math.sqrt(6), "arcsine": math.sqrt(2)}


def expected(gas, u_c, nu_c, probability, reading, u_a, tolerance, rule):
    error = reading - gas
    u = math.sqrt(u_c ** 2 + u_a ** 2)
    nu = math.inf if math.isinf(nu_c) else max(1, math.floor(u ** 4 / (u_c ** 4 / nu_c)))
    k = 2.0 if probability is None else float(stats.t.ppf((1 + probability) / 2, nu))
    big_u = k * u
    cdf = stats.norm.cdf if math.isinf(nu) else (lambda x: stats.t.cdf(x, nu))
    p = (1.0 if abs(error) <= tolerance else 0.0) if u == 0 else \
        float(cdf((tolerance - error) / u) - cdf((-tolerance - error) / u))
    limit = tolerance - (big_u if rule == "guarded" else 0.0)
    return dict(error=error, standard_uncertainty=u, coverage_factor=k, expanded_uncertainty=big_u,
                probability_of_conformity=p, decision="pass" if abs(error) <= limit else "fail", nu=nu)


def options_of(args):
    pairs = dict(zip(args[::2], args[1::2]))
    fields = ["--gas", "--target-pressure", "--barometric-pressure", "--temperature", "--altitude", "--humidity"]
    x = [float(model.np.float32(pairs.get(f, str(d)))) for f, d in zip(fields, model.DEFAULTS)]
    u = [0.0] * 6
    dof = [math.inf] * 6
    for name, value in pairs.items():
        if name.startswith("--u-"):
            field = {"barometer": "barometric-pressure"}.get(name[4:], name[4:])
            number, _, shape = value.partition(":")
            u[model.FIELDS.index(field)] = float(number) / DIVISOR[shape or "normal"]
        if name.startswith("--dof-"):
            dof[model.FIELDS.index(name[6:])] = float(value)
    coverage = float(pairs["--coverage"]) if "--coverage" in pairs else None
    return x, u, dof, coverage


def check(case, failures):
    reading, as_left, u_analyzer, tolerance, rule, args = case
    command = [CLI, "--format", "json", *args, "--analyzer-reading", reading, "--tolerance", tolerance,
               "--decision-rule", rule]
    if as_left:
        command += ["--as-left", as_left]
    if u_analyzer:
        command += ["--u-analyzer", u_analyzer]
    reply = json.loads(subprocess.run(command, capture_output=True, text=True, check=True).stdout)
    x, u, dof, coverage = options_of(args)
    units = {"pressure": "inHg", "temperature": "F", "distance": "ft"}
    u_c, nu_c, _ = model.budget(x, units, u, dof, {}, coverage)[0]
    gas = reply["results"]["calculated_gas_pct"]["value"]
    number, _, shape = (u_analyzer or "0").partition(":")
    u_a = float(number) / DIVISOR[shape or "normal"]
    for key, text in [("analyzer_check", reading), ("as_left_check", as_left)]:
        if text is None:
            continue
        ours = expected(gas, u_c, nu_c, coverage, float(text), u_a, float(tolerance), rule)
        theirs = reply[key]
        got_nu = theirs["effective_degrees_of_freedom"]
        if (math.inf if got_nu is None else got_nu) != ours["nu"]:
            failures.append(f"{command}: {key} degrees of freedom {got_nu}, independently {ours['nu']}")
        for name, tolerance_of in [("error", 1e-12), ("standard_uncertainty", 2e-6), ("coverage_factor", 1e-9),
                                   ("expanded_uncertainty", 2e-6), ("probability_of_conformity", 1e-5)]:
            if abs(theirs[name] - ours[name]) > tolerance_of * max(1.0, abs(ours[name])):
                failures.append(f"{' '.join(command[1:])}: {key} {name} {theirs[name]!r}, independently {ours[name]!r}")
        if theirs["decision"] != ours["decision"] or theirs["rule"] != rule:
            failures.append(f"{' '.join(command[1:])}: {key} {theirs['decision']} by {theirs['rule']}, "
                            f"independently {ours['decision']} by {rule}")


if __name__ == "__main__":
    sys.exit(model.run(CASES, check))
