/* A small JACK client for the recording test. It has a MIDI output port
 * ("out") that plays a schedule of notes into the program's input, and a
 * MIDI input port ("in") that hears the program's output. The schedule
 * starts at the first metronome click it hears (status 0x99), so its notes
 * fall on known ticks of the recording: 5208.3 microseconds a tick at 120.0
 * beats per minute. The schedule follows JACK's microsecond clock (the
 * system clock), not its frame count: a dummy server on a busy machine runs
 * its frames slower than real time, the program's engine does not.
 * Everything heard is printed at the end as "<us since the click> <hex bytes>".
 *
 * With --on-signal first, the schedule starts at SIGUSR1 instead (for a
 * program that has no click to start from).
 *
 * usage: jack_note_sender [--on-signal] TICK:NOTE:VELOCITY:LENGTH ...  (ends on SIGTERM) */
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define MAX_NOTES 64
#define MAX_HEARD 4096
#define US_PER_QUARTER 500000

struct Msg {
    long long at; /* heard: microseconds since the click; planned: tick */
    unsigned char bytes[3];
    int length;
};

static jack_client_t* client;
static jack_port_t* outPort;
static jack_port_t* inPort;
static struct Msg plan[2 * MAX_NOTES];
static int planCount;
static int planNext;
static struct Msg heard[MAX_HEARD];
static atomic_int heardCount;
static jack_time_t clickTime; /* JACK microseconds of the first click */
static int clicked;
static volatile sig_atomic_t stopFlag;
static volatile sig_atomic_t startFlag;
static int startOnSignal;

static void onSignal(int sig) {
    (void)sig;
    stopFlag = 1;
}

static void onStart(int sig) {
    (void)sig;
    startFlag = 1;
}

static int process(jack_nframes_t nframes, void* arg) {
    (void)arg;
    jack_time_t now = jack_get_time();
    void* in = jack_port_get_buffer(inPort, nframes);
    void* out = jack_port_get_buffer(outPort, nframes);
    jack_midi_clear_buffer(out);
    if (startOnSignal && !clicked && startFlag) {
        clicked = 1;
        clickTime = now;
    }
    jack_nframes_t n = jack_midi_get_event_count(in);
    for (jack_nframes_t i = 0; i < n; ++i) {
        jack_midi_event_t ev;
        if (jack_midi_event_get(&ev, in, i) != 0 || ev.size == 0) continue;
        if (!startOnSignal && !clicked && ev.size == 3 && ev.buffer[0] == 0x99 && ev.buffer[2] != 0) {
            clicked = 1;
            clickTime = now;
        }
        int k = atomic_load_explicit(&heardCount, memory_order_relaxed);
        if (k < MAX_HEARD && clicked) {
            heard[k].at = (long long)(now - clickTime);
            heard[k].length = ev.size < 3 ? (int)ev.size : 3;
            memcpy(heard[k].bytes, ev.buffer, (size_t)heard[k].length);
            atomic_store_explicit(&heardCount, k + 1, memory_order_release);
        }
    }
    if (!clicked) return 0;
    /* Everything due before the middle of this period goes out now. */
    jack_time_t half = (jack_time_t)nframes * 500000u / jack_get_sample_rate(client);
    while (planNext < planCount) {
        jack_time_t due = clickTime + (jack_time_t)(plan[planNext].at * US_PER_QUARTER / 96);
        if (due > now + half) break;
        jack_midi_event_write(out, 0, plan[planNext].bytes, 3);
        ++planNext;
    }
    return 0;
}

static int byFrame(const void* a, const void* b) {
    long long x = ((const struct Msg*)a)->at, y = ((const struct Msg*)b)->at;
    return x < y ? -1 : x > y;
}

int main(int argc, char** argv) {
    int first = 1;
    if (argc > 1 && strcmp(argv[1], "--on-signal") == 0) {
        startOnSignal = 1;
        first = 2;
    }
    for (int i = first; i < argc && planCount + 2 <= 2 * MAX_NOTES; ++i) {
        int tick, note, velocity, length;
        if (sscanf(argv[i], "%d:%d:%d:%d", &tick, &note, &velocity, &length) != 4) {
            fprintf(stderr, "bad schedule entry '%s'\n", argv[i]);
            return 2;
        }
        plan[planCount++] = (struct Msg){tick, {0x90, note, velocity}, 3};
        plan[planCount++] = (struct Msg){tick + length, {0x80, note, 0}, 3};
    }
    qsort(plan, (size_t)planCount, sizeof plan[0], byFrame);
    signal(SIGTERM, onSignal);
    signal(SIGINT, onSignal);
    signal(SIGUSR1, onStart);
    client = jack_client_open("qz-sender", JackNoStartServer, NULL);
    if (!client) {
        fprintf(stderr, "no JACK server\n");
        return 1;
    }
    outPort = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    inPort = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (!outPort || !inPort || jack_set_process_callback(client, process, NULL) != 0 || jack_activate(client) != 0) {
        fprintf(stderr, "cannot set up the JACK client\n");
        return 1;
    }
    while (!stopFlag) usleep(10000);
    jack_deactivate(client);
    int k = atomic_load_explicit(&heardCount, memory_order_acquire);
    for (int i = 0; i < k; ++i) {
        printf("%lld", heard[i].at);
        for (int b = 0; b < heard[i].length; ++b) printf(" %02X", heard[i].bytes[b]);
        printf("\n");
    }
    printf("sent %d of %d\n", planNext, planCount);
    jack_client_close(client);
    return 0;
}
