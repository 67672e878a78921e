function preventElementSrcLoading(source, args) {
  // Blocking an ad script or pixel at the network makes its element fire
  // "error", and anti-adblock scripts listen for exactly that. Here the
  // element is given a harmless URL in place of the matching one, so nothing
  // is fetched and the element loads fine: an empty script, a transparent
  // pixel, a blank frame, an empty stylesheet.
  // args: the element (script, img, iframe or link) and what its URL must
  // contain ("/regex/flags" for a regular expression). Both are required.
  // URLs set from scripts (the src/href property, setAttribute) are caught
  // before anything loads; elements that arrive as markup are given the
  // harmless URL as soon as they are seen, which still stops frames and
  // images but comes too late for a script the parser already started.
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const tagName = String(args[0] ?? '').trim().toLowerCase();
    const pattern = String(args[1] ?? '').trim();
    const kinds = {
      script: { type: window.HTMLScriptElement, attribute: 'src', harmless: 'data:text/javascript,' },
      img: {
        type: window.HTMLImageElement,
        attribute: 'src',
        harmless: 'data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7',
      },
      // about:blank rather than a data: URL: the frame stays same-origin, so
      // a page that writes into it does not hit a security error.
      iframe: { type: window.HTMLIFrameElement, attribute: 'src', harmless: 'about:blank' },
      link: { type: window.HTMLLinkElement, attribute: 'href', harmless: 'data:text/css,' },
    };
    const kind = Object.prototype.hasOwnProperty.call(kinds, tagName) ? kinds[tagName] : null;
    if (kind === null || typeof kind.type !== 'function' || pattern === '') {
      return;
    }
    let matches;
    const regex = /^\/(.+)\/([dimsuv]*)$/.exec(pattern);
    if (regex) {
      try {
        const re = new RegExp(regex[1], regex[2]);
        matches = (text) => re.test(text);
      } catch (e) {
        return;
      }
    } else {
      matches = (text) => text.includes(pattern);
    }

    // The URL to really set: the harmless one when `value` matches.
    const replacement = (value) => {
      let url = String(value);
      try {
        url = new URL(url, document.baseURI).href;
      } catch (e) {
        // Matched as written.
      }
      if (url === kind.harmless || !matches(url)) {
        return value;
      }
      log(`${tagName} ${url} gets ${kind.harmless} instead`);
      return kind.harmless;
    };

    const proto = kind.type.prototype;
    const property = Object.getOwnPropertyDescriptor(proto, kind.attribute);
    if (!property || typeof property.set !== 'function') {
      return;
    }
    Object.defineProperty(proto, kind.attribute, {
      ...property,
      set: new Proxy(property.set, {
        apply(target, element, callArgs) {
          try {
            callArgs[0] = replacement(callArgs[0]);
          } catch (e) {
            // Set as the page asked.
          }
          return Reflect.apply(target, element, callArgs);
        },
      }),
    });

    Element.prototype.setAttribute = new Proxy(Element.prototype.setAttribute, {
      apply(target, element, callArgs) {
        try {
          if (element instanceof kind.type && String(callArgs[0]).toLowerCase() === kind.attribute) {
            callArgs[1] = replacement(callArgs[1]);
          }
        } catch (e) {
          // Set as the page asked.
        }
        return Reflect.apply(target, element, callArgs);
      },
    });

    // Elements that come as markup (the document, innerHTML).
    const nativeSet = property.set;
    const fixMarkup = (root) => {
      const elements = root.localName === tagName ? [root] : [];
      elements.push(...(root.querySelectorAll?.(`${tagName}[${kind.attribute}]`) ?? []));
      for (const element of elements) {
        const value = element.getAttribute(kind.attribute);
        if (value !== null) {
          const wanted = replacement(value);
          if (wanted !== value) {
            nativeSet.call(element, wanted);
          }
        }
      }
    };
    new MutationObserver((records) => {
      for (const record of records) {
        for (const node of record.addedNodes) {
          if (node.nodeType === 1) {
            try {
              fixMarkup(node);
            } catch (e) {
              // Left as it is.
            }
          }
        }
      }
    }).observe(document, { childList: true, subtree: true });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
