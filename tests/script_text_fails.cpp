// Texts whose placeholders do not fit their arguments: each CASE but 0 must not compile, and
// case 0, with texts that fit, must.
#include "console/output.hpp"

void write(kurenagi::Output& out, const kurenagi::TextField& name) {
#if CASE == 0
    out.say("%sは%s %d", name, name, 5);
    out.say("%s%d", name, 5);  // placeholders side by side
    out.say("plain");
#elif CASE == 1
    out.say("%s %s", name);  // a placeholder too many
#elif CASE == 2
    out.say("%s", name, name);  // an argument too many
#elif CASE == 3
    out.say("%d", name);  // a text field where a number goes
#elif CASE == 4
    out.say("%s", 5L);  // neither a text field nor an int
#elif CASE == 5
    out.say("100%");  // a percent sign that is no placeholder
#endif
}
