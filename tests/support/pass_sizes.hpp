#pragma once
// The sizes of the passes the searches of an analysis object start, as its
// progress reports tell them.

#include "plisse.hpp"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

struct pass_sizes {
    /// Per search name, the candidates of each pass in order.
    std::map<std::string, std::vector<int>> of;

    /// Makes p tell this log the size of each pass its searches start; the log must outlive p's searches.
    void watch(plisse& p)
    {
        p.progress = [this](const char* search, int, int candidates) { of[search].push_back(candidates); };
    }
    /// The largest pass of search, 0 when it started none.
    int largest(const std::string& search) const
    {
        const auto found = of.find(search);
        return found == of.end() || found->second.empty()
                   ? 0
                   : *std::max_element(found->second.begin(), found->second.end());
    }
};
