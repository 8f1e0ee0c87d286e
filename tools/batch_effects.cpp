// The whole-picture effects: those that run at once and those behind a dialog's OK.
#include "core/effect_commands.h"
#include "core/rotate.h"
#include "core/special_effect.h"
#include "core/tone_curve.h"
#include "tools/batch_session.h"

namespace wendral::batch {
namespace {

// The dialogs' slider and spin ranges bound the arguments.
std::function<bool(const Args&)> ToneArguments() {
    std::vector<std::pair<long long, long long>> bounds;
    for (ToneSlider s :
         {ToneSlider::RedBrightness, ToneSlider::GreenBrightness, ToneSlider::BlueBrightness,
          ToneSlider::RedContrast, ToneSlider::GreenContrast, ToneSlider::BlueContrast,
          ToneSlider::GammaBend}) {
        const ToneSliderInfo& info = kToneSliders[static_cast<std::size_t>(s)];
        bounds.emplace_back(info.minimum, info.maximum);
    }
    return Ints(std::move(bounds));
}

std::function<bool(const Args&)> SpecialArguments() {
    std::vector<std::pair<long long, long long>> bounds;
    for (const SpecialParamInfo& info : kSpecialParams) bounds.emplace_back(0, info.maximum);
    return Ints(std::move(bounds));
}

CommandResult Tone(Session& s, const Args& a) {
    if (auto off = Unavailable(s, "tone", kNeedsPicture)) return *off;
    ToneCommand(s.state, s.zone, ToInt(a[0]), ToInt(a[1]), ToInt(a[2]), ToInt(a[3]), ToInt(a[4]),
                ToInt(a[5]), ToInt(a[6]));
    return Ok();
}

// The spin buttons top to bottom are XorShift, SumShift, OrDrop, StreakRun, Jitter.
CommandResult Special(Session& s, const Args& a) {
    if (auto off = Unavailable(s, "special", kNeedsPicture)) return *off;
    SpecialCommand(s.state, s.zone, ToInt(a[0]), ToInt(a[1]), ToInt(a[2]), ToInt(a[3]),
                   ToInt(a[4]));
    return Ok();
}

// The dialog's field takes any integer; one outside 0..359 rotates and gives the field's
// range message, which stops the script.
CommandResult Rotate(Session& s, const Args& a) {
    if (auto off = Unavailable(s, "rotate", kNeedsPicture)) return *off;
    Messages messages;
    RotateCommand(s.state, s.zone, ToInt(a[0]), messages);
    if (!messages.empty()) return Fail(std::move(messages));
    return Ok();
}

}  // namespace

void RegisterEffectCommands(CommandTable& t) {
    const auto none = [](const Args& a) { return a.empty(); };
    for (const EffectCommand& effect : kEffectCommands)
        t.Add({effect.name, effect.name, none, [&effect](Session& s, const Args&) {
                   if (auto off = Unavailable(s, effect.name, kNeedsPicture)) return *off;
                   RunEffectCommand(s.state, s.zone, effect);
                   return Ok();
               }});
    t.Add({"tone", "tone BR BG BB KR KG KB G", ToneArguments(), Tone});
    t.Add({"special", "special XOR SUM OR STREAK JITTER", SpecialArguments(), Special});
    t.Add({"rotate", "rotate DEG", Ints({{-2147483647LL, 2147483647LL}}), Rotate});
}

}  // namespace wendral::batch
