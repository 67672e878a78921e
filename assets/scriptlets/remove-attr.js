function removeAttr(source, args) {
  // Strips attributes (inline handlers, "disabled" on a skip button, the
  // marker an anti-adblock script looks for...) from the page's elements.
  // args: "name|name2", an optional CSS selector (default: every element
  // carrying one of the attributes), and when to act: "asap", "stay",
  // "complete", space-separated (default "asap stay").
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const nativeSetTimeout = window.setTimeout.bind(window);

    const attributes = String(args[0] ?? '').split('|').map((a) => a.trim()).filter((a) => a !== '');
    if (attributes.length === 0 || !attributes.every((a) => /^[^\s"'<>/=]+$/.test(a))) {
      return;
    }
    const selector = String(args[1] ?? '').trim() ||
      attributes.map((a) => `[${CSS.escape(a)}]`).join(',');
    const isValidSelector = (text) => {
      try {
        document.createDocumentFragment().querySelector(text);
        return true;
      } catch (e) {
        return false;
      }
    };
    if (!isValidSelector(selector)) {
      return;
    }

    const known = ['asap', 'stay', 'complete'];
    const tokens = String(args[2] ?? '').split(/\s+/).filter((t) => known.includes(t));
    const applying = new Set(tokens.length > 0 ? tokens : ['asap', 'stay']);

    const removeNow = () => {
      let count = 0;
      for (const element of document.querySelectorAll(selector)) {
        for (const attribute of attributes) {
          if (element.hasAttribute(attribute)) {
            element.removeAttribute(attribute);
            count += 1;
          }
        }
      }
      if (count > 0) {
        log(`removed ${count} attribute(s) ${attributes.join('|')} from ${selector}`);
      }
    };

    // Mutations come in bursts while a page builds itself: act at once on the
    // first one, then at most every 50 ms.
    const throttle = (fn, ms) => {
      let last = 0;
      let timer = null;
      return () => {
        if (timer !== null) {
          return;
        }
        const wait = last + ms - Date.now();
        if (wait <= 0) {
          last = Date.now();
          fn();
          return;
        }
        timer = nativeSetTimeout(() => {
          timer = null;
          last = Date.now();
          fn();
        }, wait);
      };
    };

    const keepWatching = () => {
      const observer = new MutationObserver(throttle(removeNow, 50));
      // Attribute changes too: a page that puts the attribute back loses it
      // again.
      observer.observe(document, { childList: true, subtree: true, attributes: true,
                                   attributeFilter: attributes.map((a) => a.toLowerCase()) });
      removeNow();
    };

    const whenComplete = (fn) => {
      if (document.readyState === 'complete') {
        fn();
      } else {
        window.addEventListener('load', fn, { once: true });
      }
    };

    if (applying.has('asap')) {
      removeNow();
      // At document start the body is not parsed yet: "as soon as possible"
      // includes the moment the document is.
      if (document.readyState === 'loading') {
        document.addEventListener('DOMContentLoaded', removeNow, { once: true });
      }
    }
    if (applying.has('complete')) {
      whenComplete(removeNow);
    }
    if (applying.has('stay')) {
      if (applying.has('complete') && !applying.has('asap')) {
        whenComplete(keepWatching);
      } else {
        keepWatching();
      }
    }
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
