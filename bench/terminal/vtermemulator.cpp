#include "emulators.h"

#if ZN_HAVE_VTERM

#include <vterm.h>

#include <algorithm>
#include <vector>

namespace znbench {

namespace {

constexpr int kCols = 80;
constexpr int kRows = 24;
constexpr size_t kScrollbackLines = 10000;

// libvterm keeps no scrollback of its own: like any terminal built on it, the
// owner copies each line pushed off the top into its own ring.
class VtermEmulator : public Emulator {
public:
    explicit VtermEmulator(bool withOwnerWork)
        : vt(vterm_new(kRows, kCols)), ownerWork(withOwnerWork), scrollback(withOwnerWork ? kScrollbackLines * kCols : 0)
    {
        vterm_set_utf8(vt, 0);
        screen = vterm_obtain_screen(vt);
        if (withOwnerWork) {
            vterm_screen_set_callbacks(screen, &kCallbacks, this);
            vterm_screen_set_damage_merge(screen, VTERM_DAMAGE_SCROLL);
        }
        vterm_screen_reset(screen, 1);
    }
    ~VtermEmulator() override { vterm_free(vt); }
    VtermEmulator(const VtermEmulator &) = delete;
    VtermEmulator &operator=(const VtermEmulator &) = delete;

    void feed(const char *bytes, size_t length) override
    {
        vterm_input_write(vt, bytes, length);
        if (ownerWork)
            vterm_screen_flush_damage(screen);
    }

private:
    static int pushLine(int cols, const VTermScreenCell *cells, void *user)
    {
        auto *self = static_cast<VtermEmulator *>(user);
        const size_t n = size_t(std::min(cols, kCols));
        std::copy(cells, cells + n, self->scrollback.begin() + std::ptrdiff_t(self->nextLine * kCols));
        self->nextLine = (self->nextLine + 1) % kScrollbackLines;
        return 1;
    }
    static int damage(VTermRect, void *user)
    {
        ++static_cast<VtermEmulator *>(user)->damaged;
        return 1;
    }

    static constexpr VTermScreenCallbacks kCallbacks = {
        damage, nullptr, nullptr, nullptr, nullptr, nullptr, pushLine, nullptr,
    };

    VTerm *vt;
    VTermScreen *screen = nullptr;
    bool ownerWork;
    std::vector<VTermScreenCell> scrollback;
    size_t nextLine = 0;
    unsigned damaged = 0;
};

} // namespace

std::unique_ptr<Emulator> makeVtermEmulator()
{
    return std::make_unique<VtermEmulator>(false);
}

std::unique_ptr<Emulator> makeVtermScrollbackEmulator()
{
    return std::make_unique<VtermEmulator>(true);
}

} // namespace znbench

#else

namespace znbench {

std::unique_ptr<Emulator> makeVtermEmulator()
{
    return nullptr;
}

std::unique_ptr<Emulator> makeVtermScrollbackEmulator()
{
    return nullptr;
}

} // namespace znbench

#endif
