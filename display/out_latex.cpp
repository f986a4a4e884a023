#include "out_latex.hpp"

#include "domain.hpp"

#include <fstream>
#include <ios>

bool out_latex::initialise() const
{
    std::ofstream os(file_name, std::ios::trunc);
    // The frame names the same point (-3, 3) as both of its corners.
    os << "\\documentclass[a4paper,11pt]{article} \n"
       << " \\usepackage{pstricks}  \\begin{document} \n"
       << " \\thispagestyle{empty} \n"
       << " " << " \\begin{pspicture}(" << -3 << "," << 3 << ")(" << -3 << "," << 3
       << ") \\psset{unit=3cm} \n"
       << " \n";
    os.close();
    return !os.fail();
}

bool out_latex::fin() const
{
    std::ofstream os(file_name, std::ios::app);
    os << " \\end{pspicture} \\end{document} ";
    os.close();
    return !os.fail();
}

void domain::latex(const out_latex& o, const std::string& colour) const
{
    const double xl = inf(get("x"));
    const double xu = sup(get("x"));
    const double yl = inf(get("y"));
    const double yu = sup(get("y"));
    std::ofstream os(o.file_name, std::ios::app);
    os << "\\psline[linewidth=0.005,linecolor=" << colour << "]{-}(" << xl << "," << yl << ")(" << xu << ","
       << yl << ")(" << xu << "," << yu << ")(" << xl << "," << yu << ")(" << xl << "," << yl << ")\n";
}
