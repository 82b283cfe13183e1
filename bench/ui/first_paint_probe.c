/* Start to first paint of the real window, seen from the X server: waits for
 * a row of 100 pixels of the position counter's box colour near the screen's
 * top-left corner (where the window opens) and prints the milliseconds since
 * the program's launch.
 *   qz_first_paint_probe LAUNCH_NS COLOUR_RRGGBB     (LAUNCH_NS: CLOCK_REALTIME) */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double nowNs(void) {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return (double)t.tv_sec * 1e9 + (double)t.tv_nsec;
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const double launch = atof(argv[1]);
    const unsigned long colour = strtoul(argv[2], NULL, 16);
    Display* d = XOpenDisplay(NULL);
    if (!d) return 1;
    const Window root = DefaultRootWindow(d);
    while (nowNs() - launch < 20e9) {
        XImage* img = XGetImage(d, root, 0, 0, 400, 120, AllPlanes, ZPixmap);
        if (img) {
            for (int y = 0; y < 120; ++y) {
                int run = 0;
                for (int x = 0; x < 400; ++x) {
                    run = (XGetPixel(img, x, y) & 0xFFFFFF) == colour ? run + 1 : 0;
                    if (run >= 100) {
                        printf("%.1f\n", (nowNs() - launch) / 1e6);
                        return 0;
                    }
                }
            }
            XDestroyImage(img);
        }
        struct timespec pause = {0, 1000000};
        nanosleep(&pause, NULL);
    }
    return 1;
}
