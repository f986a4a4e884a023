#pragma once
// n-dimensional vectors of doubles.

#include <cmath>
#include <vector>

template <class T>
class vector_nD : public std::vector<T> {
public:
    using std::vector<T>::vector;

    /// Euclidean norm (0 for an empty vector).
    T norme() const
    {
        T sum = 0;
        for (const T& v : *this)
            sum += v * v;
        return std::sqrt(sum);
    }
};
