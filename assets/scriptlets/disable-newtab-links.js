function disableNewtabLinks(source, args) {
  // Links that would open a new tab or window (target="_blank" or a named
  // target) open in this tab instead. Each click on one is intercepted
  // before the page sees it and the link's target is switched to "_self"
  // until the click has been handled, so the browser follows it here; a
  // page handler that cancels the click still cancels it, and one that stops
  // its propagation cannot bring the new tab back. Clicks with a modifier
  // key or another button are the user asking for a new tab: left alone.
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const nativeSetTimeout = window.setTimeout.bind(window);
    const sameTabTargets = ['', '_self', '_top', '_parent'];

    // The link under the click, also inside open shadow roots.
    const linkOf = (event) => {
      const path = typeof event.composedPath === 'function' ? event.composedPath() : [event.target];
      for (const node of path) {
        if (node instanceof Element && (node.localName === 'a' || node.localName === 'area') &&
            node.hasAttribute('href')) {
          return node;
        }
      }
      return null;
    };

    const onClick = (event) => {
      if (event.button !== 0 || event.ctrlKey || event.metaKey || event.shiftKey || event.altKey) {
        return;
      }
      const link = linkOf(event);
      if (link === null || link.hasAttribute('download')) {
        return;
      }
      // A link without a target of its own takes the one of <base target>.
      const base = document.querySelector('base[target]');
      const target = String(link.getAttribute('target') ?? base?.getAttribute('target') ?? '')
        .trim().toLowerCase();
      if (sameTabTargets.includes(target)) {
        return;
      }
      const original = link.getAttribute('target');
      link.setAttribute('target', '_self');
      log(`${link.href} opens in this tab instead of target="${target}"`);
      // The browser follows the link right after the click's dispatch; then
      // the page gets its markup back as it was.
      nativeSetTimeout(() => {
        if (link.getAttribute('target') !== '_self') {
          return;
        }
        if (original === null) {
          link.removeAttribute('target');
        } else {
          link.setAttribute('target', original);
        }
      }, 0);
    };

    // The capture phase on window runs before any of the page's handlers.
    window.addEventListener('click', onClick, true);
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
