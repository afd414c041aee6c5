// Under the address checker, memory it takes back is overwritten. A freed
// object read from the toolkit's own code, which the checker does not
// watch, then yields garbage and the run fails where the read happens,
// instead of quietly finding the old contents still in place.
#if defined(__SANITIZE_ADDRESS__)
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options()
{
    return "max_free_fill_size=4096";
}
#endif
