/* Loaded before libpcap in script runs: the host has no network adapters, so
 * the in-process simulated camera is the only device (index 0) and no real
 * adapter is ever opened by a test. */
#include <pcap/pcap.h>
#include <stddef.h>

int pcap_findalldevs(pcap_if_t** devices, char* errbuf) {
    (void)errbuf;
    *devices = NULL;
    return 0;
}

void pcap_freealldevs(pcap_if_t* devices) {
    (void)devices;
}
