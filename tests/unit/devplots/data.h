// Classic life and recurrence data of the plot tests, as CSV text.
#pragma once
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testdata {

// A data file of the repository's tests (tests/programs or tests/data), as text.
inline std::string file(const std::string& rel) {
    std::ifstream in(std::string(VITALYX_SOURCE_DIR) + "/tests/" + rel);
    std::stringstream b;
    b << in.rdbuf();
    return b.str();
}

// Ball bearings: millions of revolutions to failure of 23 bearings (Lieblein and Zelen).
inline const std::string bearings =
    "cycles\n17.88\n28.92\n33.00\n41.52\n42.12\n45.60\n48.48\n51.84\n51.96\n54.12\n55.56\n67.80\n68.64\n68.64\n68.88\n"
    "84.12\n93.12\n98.64\n105.12\n105.84\n127.92\n128.04\n173.40\n";

inline std::vector<double> bearingtimes() {
    std::vector<double> v;
    std::istringstream in(bearings);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) v.push_back(std::stod(line));
    return v;
}

// Insulation life in an accelerated test: hours to failure of ten specimens at each of
// four temperatures (degrees Celsius), every specimen failed (Nelson's class-H insulation).
inline const std::string insulation =
    "temp,hours\n"
    "190,7228\n190,7228\n190,7228\n190,8448\n190,9167\n190,9167\n190,9167\n190,9167\n190,10511\n190,10511\n"
    "220,1764\n220,2436\n220,2436\n220,2436\n220,2436\n220,2436\n220,3108\n220,3108\n220,3108\n220,3108\n"
    "240,1175\n240,1175\n240,1521\n240,1569\n240,1617\n240,1665\n240,1665\n240,1713\n240,1761\n240,1953\n"
    "260,600\n260,744\n260,744\n260,744\n260,912\n260,1128\n260,1320\n260,1464\n260,1608\n260,1896\n";

// The insulation specimens with a humidity that only a scale model uses: 60 for the two
// shortest and the two longest lives of each temperature, 40 for the others (mean 48).
inline std::string insulationhumid() {
    std::istringstream in(insulation);
    std::string line, out = "temp,hours,rh\n";
    std::getline(in, line);
    for (int k = 0; std::getline(in, line); ++k) out += line + (k % 10 < 2 || k % 10 > 7 ? ",60\n" : ",40\n");
    return out;
}

// The insulation specimens with a failure mode: "seal" for the 3rd, 13th and 23rd specimens,
// blank for the 40th, "wear" for the others.
inline std::string insulationmodes() {
    std::istringstream in(insulation);
    std::string line, out = "temp,hours,mode\n";
    std::getline(in, line);
    for (int k = 1; std::getline(in, line); ++k) out += line + (k == 40 ? ",\n" : k % 10 == 3 && k < 30 ? ",seal\n" : ",wear\n");
    return out;
}

// Its lognormal fit with ln sigma = g0 + g1 rh, the location on 1000 / (temp + 273.15), as a
// direct maximisation of the likelihood in R gives it (tests/data/devplots/logscale_mean.R).
struct humidfit {
    static constexpr double b0 = -7.3149229025186, b1 = 7.5536492023921, g0 = -3.0837112756481, g1 = 0.0330794064304;
    static constexpr double rhmean = 48.0;
    // The log of the life by which the fraction with standard quantile z has failed, at temp.
    static double lnlife(double temp, double z) { return b0 + b1 * 1000.0 / (temp + 273.15) + std::exp(g0 + g1 * rhmean) * z; }
};

}  // namespace testdata
