// Coverage factors: the quantile of Student's t (or, at infinite degrees of
// freedom, of the normal distribution) that makes an interval of the combined
// standard uncertainty cover a given probability (JCGM 100:2008, G.3).
#pragma once

namespace kestrane {

// The p-quantile of Student's t distribution with dof degrees of freedom
// (dof >= 1, or infinite for the normal distribution), 0 < p < 1.
double student_t_quantile(double p, double dof);

// P(T <= t) for Student's t distribution with dof degrees of freedom (dof >=
// 1, or infinite for the normal distribution); nan for a dof below 1.
double student_t_cdf(double t, double dof);

// k_p = t_{(1+p)/2}(dof): U = k_p u_c covers probability p.
double coverage_factor_for(double probability, double dof);

// Whether p can be asked for as a coverage probability: 0.5 <= p <= 0.9999.
bool valid_coverage_probability(double p);

}  // namespace kestrane
