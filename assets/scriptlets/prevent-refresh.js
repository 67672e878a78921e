function preventRefresh(source, args) {
  // Stops <meta http-equiv="refresh"> redirects (to an ad, or a reload that
  // brings back what was hidden). The browser schedules the refresh the
  // moment the tag is parsed, and removing the tag afterwards does not cancel
  // it; what does is window.stop(), which drops the scheduled navigation. The
  // refresh waits for the load event, so window.stop() is called then, when
  // the document has nothing left to load; a refresh tag added after that
  // is cancelled as soon as it appears. The tags are also removed, so that
  // nothing processes them again.
  // args: the delay in seconds a refresh must have to be stopped (optional:
  // without it, all are).
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const delayArg = String(args[0] ?? '').trim();
    if (delayArg !== '' && !/^\d+(\.\d+)?$/.test(delayArg)) {
      return;
    }

    // The delay of a content="5; url=..." value, or NaN.
    const delayOf = (meta) => parseFloat(String(meta.getAttribute('content') ?? '').trim());
    const isStopped = (meta) => {
      const delay = delayOf(meta);
      return delayArg === '' || (!Number.isNaN(delay) && delay === parseFloat(delayArg));
    };

    let loaded = document.readyState === 'complete';
    let pending = false;
    const defuse = () => {
      const metas = [...document.querySelectorAll('meta[http-equiv="refresh" i]')].filter(isStopped);
      if (metas.length === 0) {
        return;
      }
      metas.forEach((meta) => {
        log(`stopped the refresh "${meta.getAttribute('content')}"`);
        meta.remove();
      });
      pending = true;
      if (loaded) {
        window.stop();
        pending = false;
      }
    };

    window.addEventListener('load', () => {
      loaded = true;
      defuse();
      if (pending) {
        window.stop();
        pending = false;
      }
    }, { once: true });

    const observer = new MutationObserver((records) => {
      const metaAdded = records.some((record) => [...record.addedNodes].some((node) =>
        node.nodeType === 1 && (node.localName === 'meta' || node.querySelector?.('meta'))));
      if (metaAdded) {
        defuse();
      }
    });
    observer.observe(document, { childList: true, subtree: true });
    defuse();
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
