#pragma once
// The library's dynamically sized matrix of doubles: created with a size and
// zero-filled, copied by value; 0 x 0 is "empty". Rows are contiguous, so
// m[r][c] and m(r, c) both address row r, column c.

#include <cstddef>
#include <vector>

class matrix {
public:
    matrix() = default;
    // Negative sizes count as 0.
    matrix(int rows, int cols)
        : rows_(rows > 0 && cols > 0 ? rows : 0), cols_(rows > 0 && cols > 0 ? cols : 0),
          data_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_), 0.0) {}

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    bool isEmpty() const { return data_.empty(); }

    double *operator[](int r) { return data_.data() + static_cast<std::size_t>(r) * cols_; }
    const double *operator[](int r) const {
        return data_.data() + static_cast<std::size_t>(r) * cols_;
    }
    double &operator()(int r, int c) { return (*this)[r][c]; }
    double operator()(int r, int c) const { return (*this)[r][c]; }

    bool operator==(const matrix &o) const {
        return rows_ == o.rows_ && cols_ == o.cols_ && data_ == o.data_;
    }
    bool operator!=(const matrix &o) const { return !(*this == o); }

private:
    int rows_ = 0;
    int cols_ = 0;
    std::vector<double> data_;
};
