#include "core/basics/vec2.hpp"

namespace geom {

double pow_call(double v) {
    // A volatile exponent keeps the compiler from folding pow(v, 2.0) into
    // v * v, which is exactly the difference this function exists for.
    static volatile double two = 2.0;
    return std::pow(v, two);
}

}  // namespace geom
