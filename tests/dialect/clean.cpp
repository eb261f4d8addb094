// Constructs the hosts' compilers accept: the dialect check must report none of these.
#include <vector>
#include <cstdint>

// constexpr, enum class, noexcept in a comment are not code.
static const char* kText = "constexpr enum class = default";
struct Point {
    float x, y;
};
static const Point kOrigin = {0.0f, 0.0f};
static const int kTable[3] = {1, 2, 3};

class Shape {
public:
    static const int kSides = 4;
    enum Kind { Square = 0, Round = 1 };
    typedef std::vector<int> List;
    Shape() : sides(kSides), area(0.0f) { }
    virtual ~Shape() { }
    virtual float Area() const = 0;
    Shape& operator=(const Shape& other)
    {
        sides = other.sides;
        return *this;
    }
    bool Same(const Shape& o) const { return sides == o.sides; }

private:
    int sides;
    float area;
};

int Count(const std::vector<int>& v)
{
    int n = 0;
    for (size_t i = 0; i < v.size(); ++i)
        n += v[i] > 0 ? 1 : 0;
    auto twice = [](int k) { return k * 2; };
    int* none = nullptr;
    static_assert(sizeof(int) == 4, "int is 32 bits");
    uint32_t bits = 0u;
    (void)none;
    (void)bits;
    switch (n) {
    case 1:
        n = twice(n);
        break;
    default:
        break;
    }
    return n;
}
