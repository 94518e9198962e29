/* Reads screen pixels from the X server (the root window, where Wine's
 * virtual desktop draws), with times on CLOCK_MONOTONIC so that the driver
 * can set them beside its own.
 *
 *   xsample watch [-i US] [-t S] [-b RRGGBB] [-n N] X,Y ...
 *     samples every point each round, a round every US microseconds
 *     (default 500; a late round is not made up for), and prints
 *     "T X,Y RRGGBB" at every change (the
 *     first round prints every point). Stops after S seconds (default 60);
 *     with -b, at the first round where every point is black after a round
 *     where every point had the colour RRGGBB (the desktop); with -n, after
 *     N changes at the first point. Last line: "# end T rounds R maxgap_us G
 *     maxgap_end T p99gap_us P gaps_over_1ms N reason WHY" (gaps are from
 *     one round's answers to the next's).
 *   xsample serve
 *     reads commands from standard input, one answer line each:
 *     "get X Y" -> "RRGGBB";
 *     "wait X Y [!]RRGGBB MS" -> "ok T RRGGBB" once the point has (or, with
 *     "!", no longer has) that colour, or "timeout T RRGGBB" after MS ms. */
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

#define MAX_POINTS 64

static xcb_connection_t *connection;
static xcb_window_t root;
static volatile sig_atomic_t stop_requested;

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

/* Asks for every point before waiting for the first answer: one round trip
 * to the server per round, however many points. */
static void pixels(int n, const int *xs, const int *ys, unsigned long *out) {
  xcb_get_image_cookie_t cookies[n];
  for (int i = 0; i < n; i++) {
    cookies[i] = xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, (int16_t)xs[i],
                               (int16_t)ys[i], 1, 1, ~0u);
  }
  for (int i = 0; i < n; i++) {
    xcb_get_image_reply_t *reply = xcb_get_image_reply(connection, cookies[i], NULL);
    out[i] = 0xFFFFFFFFUL;
    if (reply != NULL) {
      /* 24-bit depth in 32-bit little-endian pixels: B, G, R, pad. */
      const uint8_t *d = xcb_get_image_data(reply);
      if (xcb_get_image_data_length(reply) >= 3) {
        out[i] = (unsigned long)d[0] | (unsigned long)d[1] << 8 | (unsigned long)d[2] << 16;
      }
      free(reply);
    }
  }
}

static unsigned long pixel(int x, int y) {
  unsigned long p;
  pixels(1, &x, &y, &p);
  return p;
}

static void on_term(int sig) {
  (void)sig;
  stop_requested = 1;
}

static int compare_long(const void *a, const void *b) {
  long x = *(const long *)a, y = *(const long *)b;
  return (x > y) - (x < y);
}

static int watch(int argc, char **argv) {
  long period_us = 500, stop_changes = 0;
  double timeout = 60;
  long desktop = -1;
  int opt;
  while ((opt = getopt(argc, argv, "i:t:b:n:")) != -1) {
    switch (opt) {
      case 'i': period_us = atol(optarg); break;
      case 't': timeout = atof(optarg); break;
      case 'b': desktop = strtol(optarg, NULL, 16); break;
      case 'n': stop_changes = atol(optarg); break;
      default: return 2;
    }
  }
  int n = 0, xs[MAX_POINTS], ys[MAX_POINTS];
  for (int i = optind; i < argc && n < MAX_POINTS; i++, n++) {
    if (sscanf(argv[i], "%d,%d", &xs[n], &ys[n]) != 2) return 2;
  }
  if (n == 0) return 2;
  unsigned long last[MAX_POINTS], now_seen[MAX_POINTS];
  size_t gap_cap = 1 << 16, gaps_n = 0;
  long *gaps = malloc(gap_cap * sizeof *gaps);
  long changes = 0, rounds = 0;
  int desktop_seen = 0;
  const char *reason = "timeout";
  double start = now(), previous = 0, t = start, maxgap_end = start;
  struct timespec next;
  clock_gettime(CLOCK_MONOTONIC, &next);
  long maxgap = 0;
  while (!stop_requested) {
    int all_black = 1, all_desktop = 1;
    pixels(n, xs, ys, now_seen);
    double seen_at = now();
    for (int i = 0; i < n; i++) {
      unsigned long p = now_seen[i];
      if (p != 0) all_black = 0;
      if ((long)p != desktop) all_desktop = 0;
      if (rounds == 0 || p != last[i]) {
        if (rounds > 0 && i == 0) changes++;
        printf("%.6f %d,%d %06lX\n", seen_at, xs[i], ys[i], p);
        last[i] = p;
      }
    }
    t = seen_at;
    if (rounds > 0) {
      if (gaps_n == gap_cap) gaps = realloc(gaps, (gap_cap *= 2) * sizeof *gaps);
      gaps[gaps_n++] = (long)((t - previous) * 1e6);
      if (gaps[gaps_n - 1] > maxgap) {
        maxgap = gaps[gaps_n - 1];
        maxgap_end = t;
      }
    }
    previous = t;
    rounds++;
    fflush(stdout);
    if (desktop >= 0) {
      if (all_desktop) desktop_seen = 1;
      if (desktop_seen && all_black) { reason = "black"; break; }
    }
    if (stop_changes > 0 && changes >= stop_changes) { reason = "changes"; break; }
    if (t - start >= timeout) break;
    /* Few rounds a millisecond: every round costs the X server time that
     * the programs being measured would otherwise have. */
    next.tv_nsec += period_us * 1000;
    while (next.tv_nsec >= 1000000000L) {
      next.tv_nsec -= 1000000000L;
      next.tv_sec++;
    }
    struct timespec current;
    clock_gettime(CLOCK_MONOTONIC, &current);
    if (current.tv_sec > next.tv_sec ||
        (current.tv_sec == next.tv_sec && current.tv_nsec > next.tv_nsec)) {
      next = current;
    } else {
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    }
  }
  if (stop_requested) reason = "signal";
  long p99 = 0, over_ms = 0;
  if (gaps_n > 0) {
    qsort(gaps, gaps_n, sizeof *gaps, compare_long);
    p99 = gaps[(gaps_n * 99) / 100];
    for (size_t i = 0; i < gaps_n; i++) over_ms += gaps[i] > 1000;
  }
  printf("# end %.6f rounds %ld maxgap_us %ld maxgap_end %.6f p99gap_us %ld gaps_over_1ms %ld "
         "reason %s\n", t, rounds, maxgap, maxgap_end, p99, over_ms, reason);
  return 0;
}

static int serve(void) {
  char line[256];
  while (fgets(line, sizeof line, stdin) != NULL) {
    int x, y;
    long ms;
    char want[16];
    if (sscanf(line, "get %d %d", &x, &y) == 2) {
      printf("%06lX\n", pixel(x, y));
    } else if (sscanf(line, "wait %d %d %15s %ld", &x, &y, want, &ms) == 4) {
      int negate = want[0] == '!';
      unsigned long target = strtoul(want + negate, NULL, 16);
      double deadline = now() + ms / 1000.0;
      unsigned long p;
      for (;;) {
        p = pixel(x, y);
        if ((p == target) != negate) {
          printf("ok %.6f %06lX\n", now(), p);
          break;
        }
        if (now() >= deadline) {
          printf("timeout %.6f %06lX\n", now(), p);
          break;
        }
        usleep(200);
      }
    } else {
      printf("error\n");
    }
    fflush(stdout);
  }
  return 0;
}

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: xsample watch|serve ...\n");
    return 2;
  }
  int screen_number = 0;
  connection = xcb_connect(NULL, &screen_number);
  if (xcb_connection_has_error(connection)) {
    fprintf(stderr, "xsample: cannot open display\n");
    return 1;
  }
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screen_number; i++) xcb_screen_next(&it);
  root = it.data->root;
  if (it.data->root_depth != 24) {
    fprintf(stderr, "xsample: the screen must have depth 24\n");
    return 1;
  }
  signal(SIGTERM, on_term);
  signal(SIGINT, on_term);
  if (strcmp(argv[1], "watch") == 0) return watch(argc - 1, argv + 1);
  if (strcmp(argv[1], "serve") == 0) return serve();
  fprintf(stderr, "usage: xsample watch|serve ...\n");
  return 2;
}
