// SPDX-License-Identifier: MIT
#include "kestrix_app.h"

int main(int argc, char **argv)
{
    kestrix::CKestrixApp app(argc, argv);
    app.InitInstance();
    return 0;
}
