#include "console/menu_loop.hpp"

#include "console/screen.hpp"

namespace kurenagi {

void menu_loop(Console& con, int& answer, const Menu& menu) {
    for (;;) {
        menu.ask();
        const bool answered = con.read_number(answer);
        menu.after();
        if (answered && menu.accepts(answer)) {
            return;
        }
        if (menu.notice) {
            invalid_choice(con);
        }
    }
}

}  // namespace kurenagi
