#include "analysis/nlfit.h"

#include "analysis/gslquiet.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace analysis {

namespace {

struct Data {
    std::span<const double> x, y;
    const Model* model;
};

int residuals(const gsl_vector* p, void* params, gsl_vector* f) {
    const auto* data = static_cast<const Data*>(params);
    for (std::size_t i = 0; i < data->x.size(); ++i) {
        gsl_vector_set(f, i, (*data->model)(data->x[i], p->data) - data->y[i]);
    }
    return GSL_SUCCESS;
}

struct WorkspaceFree {
    void operator()(gsl_multifit_nlinear_workspace* w) const { gsl_multifit_nlinear_free(w); }
};

// One weighted pass; fills p, covariance (unscaled) and chi2.
bool onePass(const Data& data, std::span<const double> weights, NlFit& fit) {
    const std::size_t n = data.x.size(), np = fit.p.size();
    gsl_multifit_nlinear_parameters params = gsl_multifit_nlinear_default_parameters();
    std::unique_ptr<gsl_multifit_nlinear_workspace, WorkspaceFree> w(
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &params, n, np));
    if (!w) {
        return false;
    }
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = residuals;
    fdf.n = n;
    fdf.p = np;
    fdf.params = const_cast<Data*>(&data);
    gsl_vector_view start = gsl_vector_view_array(fit.p.data(), np);
    gsl_vector_const_view wts = gsl_vector_const_view_array(weights.data(), n);
    if (gsl_multifit_nlinear_winit(&start.vector, &wts.vector, &fdf, w.get()) != GSL_SUCCESS) {
        return false;
    }
    int info = 0;
    const int status = gsl_multifit_nlinear_driver(100, 1e-9, 1e-9, 0.0, nullptr, nullptr, &info, w.get());
    if (status != GSL_SUCCESS && status != GSL_EMAXITER) {
        return false;
    }
    const gsl_vector* best = gsl_multifit_nlinear_position(w.get());
    std::copy(best->data, best->data + np, fit.p.begin());
    fit.covariance.assign(np * np, 0.0);
    gsl_matrix_view covar = gsl_matrix_view_array(fit.covariance.data(), np, np);
    if (gsl_multifit_nlinear_covar(gsl_multifit_nlinear_jac(w.get()), 0.0, &covar.matrix) != GSL_SUCCESS) {
        return false;
    }
    gsl_blas_ddot(gsl_multifit_nlinear_residual(w.get()), gsl_multifit_nlinear_residual(w.get()), &fit.chi2);
    return std::all_of(fit.p.begin(), fit.p.end(), [](double v) { return std::isfinite(v); }) &&
           std::all_of(fit.covariance.begin(), fit.covariance.end(),
                       [](double v) { return std::isfinite(v); });
}

} // namespace

double NlFit::sigma(std::size_t i) const {
    return std::sqrt(std::max(cov(i, i), 0.0));
}

NlFit fitModel(std::span<const double> x, std::span<const double> y, std::span<const double> sigma,
               const Model& model, std::vector<double> start, const ModelVariance& variance) {
    quietGsl();
    NlFit fit;
    fit.p = std::move(start);
    const std::size_t n = std::min({x.size(), y.size(), sigma.size()});
    if (n <= fit.p.size()) {
        return fit;
    }
    const Data data{x.first(n), y.first(n), &model};
    std::vector<double> weights(n);
    for (std::size_t i = 0; i < n; ++i) {
        weights[i] = 1.0 / (sigma[i] * sigma[i]);
    }
    if (!onePass(data, weights, fit)) {
        return fit;
    }
    for (std::size_t i = 0; i < n; ++i) {
        weights[i] = 1.0 / variance(model(x[i], fit.p.data()));
    }
    if (!onePass(data, weights, fit)) {
        return fit;
    }
    fit.dof = static_cast<int>(n - fit.p.size());
    const double scale = std::max(1.0, fit.chi2PerDof());
    for (double& c : fit.covariance) {
        c *= scale;
    }
    fit.ok = true;
    return fit;
}

} // namespace analysis
