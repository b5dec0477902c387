#include "mainwindow/appwindows.h"

#include "app/tform14.h"
#include "app/tform15.h"
#include "app/tform5.h"
#include "mainwindow/tform1.h"
#include "mainwindow/tform11.h"
#include "mainwindow/tform6.h"
#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"

AppWindows& appWindows() {
    static AppWindows windows;
    return windows;
}
