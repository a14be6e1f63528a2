#pragma once
// Page images are large (a 300-dpi colour Letter page is 25 MB) and the page
// step makes several of them for every page. Left to its defaults the allocator
// maps each such block afresh and hands it back to the system when it is freed,
// so every page pays again for faulting tens of megabytes in, about as much as
// the clean-up itself. During a job freed page buffers stay in the heap for
// the next page; when the job ends they go back to the system, so an idle
// manager stays small.
namespace ostrel {

// Process-wide allocator settings; made once, by the scan job.
void keepPageBuffersForReuse();
// Returns the heap's free memory to the system.
void releasePageBuffers();

}  // namespace ostrel
