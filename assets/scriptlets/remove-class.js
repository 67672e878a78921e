function removeClass(source, args) {
  // Takes classes off the page's elements: the class that blurs an article
  // for readers with a blocker, the one that locks scrolling behind a
  // consent wall. args: "name|name2", an optional CSS selector (default: every
  // element carrying one of the classes), and when to act: "asap", "stay",
  // "complete", space-separated (default "asap stay").
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const nativeSetTimeout = window.setTimeout.bind(window);

    const classes = String(args[0] ?? '').split('|').map((c) => c.trim()).filter((c) => c !== '');
    if (classes.length === 0 || classes.some((c) => /\s/.test(c))) {
      return;
    }
    const selector = String(args[1] ?? '').trim() ||
      classes.map((c) => `.${CSS.escape(c)}`).join(',');
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
        for (const name of classes) {
          if (element.classList.contains(name)) {
            element.classList.remove(name);
            count += 1;
          }
        }
      }
      if (count > 0) {
        log(`removed ${count} class(es) ${classes.join('|')} from ${selector}`);
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
      // Class changes too: a page that puts the class back loses it again.
      observer.observe(document, { childList: true, subtree: true, attributes: true,
                                   attributeFilter: ['class'] });
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
