function hideInShadowDom(source, args) {
  // Element hiding rules do not reach into shadow trees: this hides
  // (display: none !important) the elements matching a selector inside open
  // shadow roots, nested ones too, including roots and elements that appear
  // later. args: the selector, and optionally a selector for the elements
  // whose shadow trees are searched (they and their descendants; default:
  // the whole document).
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const nativeSetTimeout = window.setTimeout.bind(window);
    const selector = String(args[0] ?? '').trim();
    const baseSelector = String(args[1] ?? '').trim();
    const isValidSelector = (text) => {
      try {
        document.createDocumentFragment().querySelector(text);
        return true;
      } catch (e) {
        return false;
      }
    };
    if (selector === '' || !isValidSelector(selector) ||
        (baseSelector !== '' && !isValidSelector(baseSelector))) {
      return;
    }
    if (typeof Element.prototype.attachShadow !== 'function') {
      return;
    }

    // Every open shadow root under `node` (its own included), nested ones too.
    const shadowRootsUnder = (node, found = []) => {
      const elements = node instanceof Element ? [node, ...node.querySelectorAll('*')]
                                               : [...node.querySelectorAll('*')];
      for (const element of elements) {
        if (element.shadowRoot) {
          found.push(element.shadowRoot);
          shadowRootsUnder(element.shadowRoot, found);
        }
      }
      return found;
    };

    const watchedRoots = new WeakSet();
    let observer = null;
    const watch = (root) => {
      if (!watchedRoots.has(root)) {
        watchedRoots.add(root);
        observer.observe(root, { childList: true, subtree: true });
      }
    };

    const isHidden = (element) => element.style.getPropertyValue('display') === 'none' &&
      element.style.getPropertyPriority('display') === 'important';

    const hideNow = () => {
      const allRoots = shadowRootsUnder(document);
      let roots = allRoots;
      if (baseSelector !== '') {
        const bases = [document, ...allRoots].flatMap((scope) => [...scope.querySelectorAll(baseSelector)]);
        roots = [...new Set(bases.flatMap((base) => shadowRootsUnder(base)))];
      }
      // Mutations in any shadow tree may bring new matches, not only in the
      // searched ones: a base element can show up inside one.
      allRoots.forEach(watch);
      let count = 0;
      for (const root of roots) {
        for (const element of root.querySelectorAll(selector)) {
          if (!isHidden(element)) {
            element.style.setProperty('display', 'none', 'important');
            count += 1;
          }
        }
      }
      if (count > 0) {
        log(`hid ${count} element(s) matching ${selector} in shadow trees`);
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
    const scheduleHide = throttle(hideNow, 50);
    observer = new MutationObserver(scheduleHide);
    observer.observe(document, { childList: true, subtree: true });

    // A shadow root attached to an element already in place causes no
    // mutation in the document: watch each new open root from the moment it
    // exists. The Proxy keeps attachShadow looking native.
    Element.prototype.attachShadow = new Proxy(Element.prototype.attachShadow, {
      apply(target, thisArg, callArgs) {
        const root = Reflect.apply(target, thisArg, callArgs);
        try {
          if (root && root.mode === 'open') {
            watch(root);
            scheduleHide();
          }
        } catch (e) {
          // The page gets its root whatever happens here.
        }
        return root;
      },
    });
    hideNow();
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
