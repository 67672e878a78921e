function setAttr(source, args) {
  // Gives the matching elements an attribute value: "playsinline" on a video,
  // tabindex="-1" off a trap, a lazy image's real source copied into src.
  // args: CSS selector, attribute name, value. The value is empty, "true",
  // "false", an integer 0..32767, "[other-attribute]" (copied from the same
  // element), or other plain text; plain text never goes into an attribute
  // that carries a URL, a style or code, and "on..." handlers are refused
  // whatever the value.
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const nativeSetTimeout = window.setTimeout.bind(window);

    const selector = String(args[0] ?? '').trim();
    const attribute = String(args[1] ?? '').trim();
    const value = String(args[2] ?? '');
    if (selector === '' || !/^[A-Za-z_:][\w:.-]*$/.test(attribute) || /^on/i.test(attribute)) {
      return;
    }
    try {
      document.createDocumentFragment().querySelector(selector);
    } catch (e) {
      return;
    }

    const riskyAttributes = ['src', 'srcset', 'srcdoc', 'href', 'xlink:href', 'action', 'formaction',
                             'data', 'codebase', 'background', 'poster', 'ping', 'style',
                             'http-equiv', 'content', 'is'];
    const copyFrom = /^\[([A-Za-z_:][\w:.-]*)\]$/.exec(value);
    const isCustomaryValue = value === '' || value === 'true' || value === 'false' ||
      (/^\d+$/.test(value) && Number(value) <= 32767);
    if (!copyFrom && !isCustomaryValue && riskyAttributes.includes(attribute.toLowerCase())) {
      return;
    }

    // The value an element should get, or null to leave it alone.
    const wantedValue = (element) => {
      if (!copyFrom) {
        return value;
      }
      return element.getAttribute(copyFrom[1]);
    };

    const applyNow = () => {
      let count = 0;
      for (const element of document.querySelectorAll(selector)) {
        const wanted = wantedValue(element);
        if (wanted !== null && element.getAttribute(attribute) !== wanted) {
          element.setAttribute(attribute, wanted);
          count += 1;
        }
      }
      if (count > 0) {
        log(`set ${attribute}="${value}" on ${count} element(s) matching ${selector}`);
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

    applyNow();
    // Elements parsed or added later, and pages that change the value back.
    // Only a real change is written, so our own writes settle at once.
    const watched = (copyFrom ? [attribute, copyFrom[1]] : [attribute]).map((a) => a.toLowerCase());
    new MutationObserver(throttle(applyNow, 50)).observe(document, {
      childList: true, subtree: true, attributes: true, attributeFilter: watched,
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
