// Each line marked VIOLATION must be reported by the dialect check at that line (kept as
// written: clang-format is off).
// clang-format off
#include <thread>                                   // VIOLATION
#include <vector>

constexpr int kSize = 4;                            // VIOLATION
enum class Mode { A, B };                           // VIOLATION
void Quiet() noexcept;                              // VIOLATION
struct Held {
    int count = 3;                                  // VIOLATION
    float weight{0.5f};                             // VIOLATION
    Held(const Held&) = delete;                     // VIOLATION
    Held() = default;                               // VIOLATION
    Held(int n) : Held() { (void)n; }               // VIOLATION
};
template <typename... Rest> void Many(Rest... r);   // VIOLATION
using Table = std::vector<int>;                     // VIOLATION
const char* raw = R"(text)";                        // VIOLATION
const char* utf = u8"text";                         // VIOLATION
int Sum(const std::vector<int>& v) {
    int s = 0;
    for (int x : v) s += x;                         // VIOLATION
    std::thread t;                                  // VIOLATION
    return s;
}
std::vector<int> Make() { return {1, 2}; }          // VIOLATION
thread_local int perThread;                         // VIOLATION
float Lanes(Float4 x, const Mask4& m);                // VIOLATION
