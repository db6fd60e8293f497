// pickstart: the boot menu the flash's init script runs at every power-up.
#include "menuapp.h"

int main() {
    if (!MenuApp::instance) new MenuApp();
    return 0;
}
