#include "app/ViewerMain.h"

int main(int argc, char** argv) {
    return tolvane::RunViewer(argc, argv);
}
