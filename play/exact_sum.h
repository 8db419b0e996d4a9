#pragma once
// Sums of fractions kept exact, for amounts that are rounded once at the end.
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace velmo::play {

// num ÷ den rounded to a whole number, halves away from zero (den != 0).
std::int64_t round_div(__int128 num, __int128 den);

inline __int128 abs128(__int128 v) { return v < 0 ? -v : v; }

inline __int128 gcd128(__int128 a, __int128 b) {
    a = abs128(a);
    b = abs128(b);
    while (b != 0) {
        const __int128 t = a % b;
        a = b;
        b = t;
    }
    return a;
}

// A sum of fractions kept exact while its denominator stays within 128 bits,
// else (never with the rates players meet) in long double. The terms are kept
// summed by denominator (a year's entries have few: one per pair of rates) and
// brought to one fraction only when the sum is read, so that adding an entry
// costs no division.
class ExactSum {
public:
    void add(__int128 num, __int128 den) {
        for (Term& t : terms_)
            if (t.den == den) {
                // Past 128 bits the term goes on in long double, and the sum is no longer exact.
                if (__builtin_add_overflow(t.num, num, &t.num)) {
                    t.num -= num;
                    spill_ += static_cast<long double>(num) / static_cast<long double>(den);
                    overflow_ = true;
                }
                return;
            }
        terms_.push_back(Term{num, den});
    }
    bool exact() const { return total().exact; }
    __int128 num() const { return total().num; }
    __int128 den() const { return total().den; }
    long double approx() const {
        long double sum = spill_;
        for (const Term& t : terms_) sum += static_cast<long double>(t.num) / static_cast<long double>(t.den);
        return sum;
    }
    std::int64_t rounded() const {
        const Fraction f = total();
        return f.exact ? round_div(f.num, f.den) : static_cast<std::int64_t>(std::llround(approx()));
    }

private:
    struct Term {
        __int128 num;
        __int128 den;
    };
    struct Fraction {
        __int128 num = 0;
        __int128 den = 1;
        bool exact = true;
    };
    Fraction total() const {
        Fraction f;
        f.exact = !overflow_;
        for (const Term& t : terms_) {
            if (!f.exact) break;
            const __int128 g = gcd128(f.den, t.den);
            __int128 lcm = 0, a = 0, b = 0, sum = 0;
            if (__builtin_mul_overflow(f.den / g, t.den, &lcm) || __builtin_mul_overflow(f.num, lcm / f.den, &a) ||
                __builtin_mul_overflow(t.num, lcm / t.den, &b) || __builtin_add_overflow(a, b, &sum)) {
                f.exact = false;
                break;
            }
            const __int128 r = gcd128(sum, lcm);
            f.num = r ? sum / r : 0;
            f.den = r ? lcm / r : 1;
        }
        return f;
    }

    std::vector<Term> terms_;
    bool overflow_ = false;
    long double spill_ = 0;
};

// The same sum for many terms over few denominators (the figures of a year
// share a handful of rates and machines): numerators of one denominator are
// added as integers, and the denominators meet once, in total().
class FractionBuckets {
public:
    void add(__int128 num, __int128 den) {
        if (den < 0) {
            num = -num;
            den = -den;
        }
        // Terms of one machine and rate come in runs: the last denominator first.
        if (last_ < buckets_.size() && buckets_[last_].first == den) {
            auto& n = buckets_[last_].second;
            __int128 sum = 0;
            if (!__builtin_add_overflow(n, num, &sum)) {
                n = sum;
                return;
            }
        }
        for (std::size_t i = 0; i < buckets_.size(); ++i)
            if (auto& [d, n] = buckets_[i]; d == den) {
                last_ = i;
                __int128 sum = 0;
                if (__builtin_add_overflow(n, num, &sum)) {
                    spill_.add(n, den);  // the sum so far, then start again
                    n = num;
                } else {
                    n = sum;
                }
                return;
            }
        last_ = buckets_.size();
        buckets_.emplace_back(den, num);
    }
    bool empty() const { return buckets_.empty() && spill_.exact() && spill_.num() == 0; }
    ExactSum total() const {
        ExactSum s = spill_;
        for (const auto& [d, n] : buckets_) s.add(n, d);
        return s;
    }

private:
    std::vector<std::pair<__int128, __int128>> buckets_;  // denominator, numerator
    ExactSum spill_;
    std::size_t last_ = 0;
};

}  // namespace velmo::play
